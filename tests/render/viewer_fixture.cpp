// The viewer's test fixture. The motion state is put back from a copy taken before any test ran,
// while the globals still held their constant initial values.
#include "tests/render/viewer_fixture.h"

#include <cstdlib>

#include "app/app.h"
#include "motion/motion_state.h"
#include "platform/portable/call_recorder.h"
#include "platform/portable/d3d9/fault_hook.h"
#include "platform/portable/win32/message_box_hook.h"
#include "render/device.h"

namespace {

struct MotionStart {
    std::int32_t wx, wy, wz, vect_x, vect_y, vect_z;
    std::int32_t crsAngleX, crsAngleY, crsAngleZ, carAngleX, carAngleY, carAngleZ;
    float crsRadX, crsRadY, crsRadZ, carRadX, carRadY, carRadZ, fPosX, fPosY, fPosZ;
    std::int32_t plate_pos, stepLength;
};

const MotionStart kStart = {::wx, ::wy, ::wz, ::vect_x, ::vect_y, ::vect_z, ::crsAngleX,
                            ::crsAngleY, ::crsAngleZ, ::carAngleX, ::carAngleY, ::carAngleZ,
                            ::crsRadX, ::crsRadY, ::crsRadZ, ::carRadX, ::carRadY, ::carRadZ,
                            ::fPosX, ::fPosY, ::fPosZ, ::plate_pos, ::stepLength};

void RestoreMotionStart()
{
    ::wx = kStart.wx, ::wy = kStart.wy, ::wz = kStart.wz;
    ::vect_x = kStart.vect_x, ::vect_y = kStart.vect_y, ::vect_z = kStart.vect_z;
    ::crsAngleX = kStart.crsAngleX, ::crsAngleY = kStart.crsAngleY, ::crsAngleZ = kStart.crsAngleZ;
    ::carAngleX = kStart.carAngleX, ::carAngleY = kStart.carAngleY, ::carAngleZ = kStart.carAngleZ;
    ::crsRadX = kStart.crsRadX, ::crsRadY = kStart.crsRadY, ::crsRadZ = kStart.crsRadZ;
    ::carRadX = kStart.carRadX, ::carRadY = kStart.carRadY, ::carRadZ = kStart.carRadZ;
    ::fPosX = kStart.fPosX, ::fPosY = kStart.fPosY, ::fPosZ = kStart.fPosZ;
    ::plate_pos = kStart.plate_pos, ::stepLength = kStart.stepLength;
}

}  // namespace

void ViewerTest::SetUp()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    RestoreMotionStart();
    SetD3DFaults(D3DFaults{});
    MessageBoxCaptureStart();
}

void ViewerTest::TearDown()
{
    RecorderStop();
    Cleanup();
    if (window_ != nullptr) DestroyWindow(window_);
    TakeMessages();
    MessageBoxCaptureStop();
    SetD3DFaults(D3DFaults{});
}

HWND ViewerTest::MainWindow()
{
    if (window_ == nullptr) {
        window_ = CreateMainWindow(nullptr);
        // What showing the window queued (a first WM_PAINT) is not the test's business.
        TakeMessages();
    }
    return window_;
}

std::vector<MSG> ViewerTest::TakeMessages()
{
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(msg);
        // A paint stays due until painted.
        if (msg.message == WM_PAINT) DefWindowProcA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    return taken;
}

std::string ViewerDataDir() { return CRS_VIEWER_DATA_DIR; }
