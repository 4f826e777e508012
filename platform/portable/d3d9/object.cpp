// The Direct3D 9 object: Direct3DCreate9 and device creation. Both the hardware and the reference
// device types are the one OpenGL device; a GL context that cannot be made fails the call, so
// the caller's fallback runs. Also keeps the list of live devices for frame capture.
#include <algorithm>
#include <vector>

#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/fault_hook.h"
#include "platform/portable/d3d9/internal.h"

namespace d3d9 {
namespace {

std::vector<Device*> liveDevices;
D3DFaults faults;

class Direct3D9 final : public IDirect3D9 {
public:
    ULONG AddRef() override { return ++references_; }

    ULONG Release() override
    {
        RecordCall("Release(IDirect3D9)");
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                         DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice9** ppReturnedDeviceInterface) override
    {
        const char* type = DeviceType == D3DDEVTYPE_HAL   ? "D3DDEVTYPE_HAL"
                           : DeviceType == D3DDEVTYPE_REF ? "D3DDEVTYPE_REF"
                                                          : "other";
        RecordCall("CreateDevice(%u, %s, %s, 0x%x)", Adapter, type,
                   hFocusWindow ? "window" : "NULL", BehaviorFlags);
        if (!ppReturnedDeviceInterface) return D3DERR_INVALIDCALL;
        *ppReturnedDeviceInterface = nullptr;
        if (!pPresentationParameters || Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        if (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
        if ((DeviceType == D3DDEVTYPE_HAL && faults.halDevice) ||
            (DeviceType == D3DDEVTYPE_REF && faults.refDevice))
            return D3DERR_NOTAVAILABLE;
        const HWND window =
            pPresentationParameters->hDeviceWindow ? pPresentationParameters->hDeviceWindow
                                                   : hFocusWindow;
        if (!window) return D3DERR_INVALIDCALL;
        if (!pPresentationParameters->Windowed) return D3DERR_NOTAVAILABLE;
        Device* device = Device::Create(window, *pPresentationParameters);
        if (!device) return D3DERR_NOTAVAILABLE;
        *ppReturnedDeviceInterface = device;
        return D3D_OK;
    }

private:
    ULONG references_ = 1;
};

}  // namespace

void RegisterDevice(Device* device) { liveDevices.push_back(device); }

void UnregisterDevice(Device* device)
{
    liveDevices.erase(std::remove(liveDevices.begin(), liveDevices.end(), device),
                      liveDevices.end());
}

Device* DeviceOfWindow(HWND window)
{
    // The newest device wins, as it is the one presenting now.
    for (auto it = liveDevices.rbegin(); it != liveDevices.rend(); ++it)
        if ((*it)->Window() == window) return *it;
    return nullptr;
}

}  // namespace d3d9

void SetD3DFaults(const D3DFaults& faults) { d3d9::faults = faults; }

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion)
{
    RecordCall("Direct3DCreate9(%u)", SDKVersion);
    if (SDKVersion != D3D_SDK_VERSION || d3d9::faults.direct3DCreate9) return nullptr;
    return new d3d9::Direct3D9;
}
