// Frame composition: the clear, the scene with the diagnostic overlay and the two meshes, and the
// one Present of every frame.
#include "render/frame.h"

#include <cstring>

#include "motion/overlay_lines.h"
#include "render/device.h"
#include "render/drawing.h"
#include "render/mesh_object.h"

char overlayText[80];

namespace {

constexpr D3DCOLOR kClearColour = 0xFF646464;   // opaque grey, 100 in each channel

}  // namespace

void Render(HDC hdc)
{
    pD3DDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);

    // A scene that does not begin is skipped; the cleared frame is still presented and the next
    // idle pass tries again.
    if (SUCCEEDED(pD3DDevice->BeginScene())) {
        for (int line = 0; line < kOverlayLineCount; line++) {
            FormatOverlayLine(line, overlayText, sizeof overlayText);
            TextOutA(hdc, 0, line * kOverlayLineSpacing, overlayText,
                     static_cast<int>(std::strlen(overlayText)));
        }
        DrawCourse(meshObjects[0]);
        DrawCar(meshObjects[1]);
        pD3DDevice->EndScene();
    }
    pD3DDevice->Present(nullptr, nullptr, nullptr, nullptr);
}
