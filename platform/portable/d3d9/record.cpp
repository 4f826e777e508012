// How the device's records read in the call log: names for the states the viewer uses, floats
// with nine significant digits so that a line tells every bit of the value.
#include <cstdio>

#include "platform/portable/d3d9/internal.h"

namespace d3d9 {
namespace {

std::string Floats(const float* values, int count)
{
    std::string text = "[";
    char number[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, i ? ", %.9g" : "%.9g", static_cast<double>(values[i]));
        text += number;
    }
    return text + "]";
}

std::string Number(float value)
{
    char number[32];
    std::snprintf(number, sizeof number, "%.9g", static_cast<double>(value));
    return number;
}

}  // namespace

std::string FormatMatrix(const D3DMATRIX& matrix) { return Floats(&matrix._11, 16); }

std::string FormatLight(const D3DLIGHT9& light)
{
    return "{type " + std::to_string(static_cast<int>(light.Type)) + ", diffuse " +
           Floats(&light.Diffuse.r, 4) + ", specular " + Floats(&light.Specular.r, 4) +
           ", ambient " + Floats(&light.Ambient.r, 4) + ", position " +
           Floats(&light.Position.x, 3) + ", direction " + Floats(&light.Direction.x, 3) +
           ", range " + Number(light.Range) + ", falloff " + Number(light.Falloff) +
           ", attenuation " + Floats(&light.Attenuation0, 3) + ", theta " + Number(light.Theta) +
           ", phi " + Number(light.Phi) + "}";
}

std::string FormatMaterial(const D3DMATERIAL9& material)
{
    return "{diffuse " + Floats(&material.Diffuse.r, 4) + ", ambient " +
           Floats(&material.Ambient.r, 4) + ", specular " + Floats(&material.Specular.r, 4) +
           ", emissive " + Floats(&material.Emissive.r, 4) + ", power " +
           Number(material.Power) + "}";
}

const char* RenderStateName(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_ZENABLE: return "D3DRS_ZENABLE";
    case D3DRS_LIGHTING: return "D3DRS_LIGHTING";
    case D3DRS_AMBIENT: return "D3DRS_AMBIENT";
    case D3DRS_SPECULARENABLE: return "D3DRS_SPECULARENABLE";
    case D3DRS_CULLMODE: return "D3DRS_CULLMODE";
    case D3DRS_ZWRITEENABLE: return "D3DRS_ZWRITEENABLE";
    case D3DRS_NORMALIZENORMALS: return "D3DRS_NORMALIZENORMALS";
    case D3DRS_COLORVERTEX: return "D3DRS_COLORVERTEX";
    case D3DRS_DIFFUSEMATERIALSOURCE: return "D3DRS_DIFFUSEMATERIALSOURCE";
    case D3DRS_SPECULARMATERIALSOURCE: return "D3DRS_SPECULARMATERIALSOURCE";
    case D3DRS_AMBIENTMATERIALSOURCE: return "D3DRS_AMBIENTMATERIALSOURCE";
    case D3DRS_EMISSIVEMATERIALSOURCE: return "D3DRS_EMISSIVEMATERIALSOURCE";
    default: return nullptr;
    }
}

const char* TransformStateName(D3DTRANSFORMSTATETYPE state)
{
    switch (static_cast<int>(state)) {
    case D3DTS_WORLD: return "D3DTS_WORLD";
    case D3DTS_VIEW: return "D3DTS_VIEW";
    case D3DTS_PROJECTION: return "D3DTS_PROJECTION";
    default: return nullptr;
    }
}

}  // namespace d3d9
