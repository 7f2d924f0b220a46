// Gives every test program the environment its tests read (headless drivers, the source tree, the build's demo
// folder), so a program run by hand behaves as under CTest. Values already set win.
#include <cstdlib>

namespace {

struct CTestEnvironment {
    CTestEnvironment()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_VIDEO_EGL_DRIVER", "none", 0);
        setenv("SDL_RENDER_DRIVER", "software", 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("ZR_SOURCE_DIR", ZR_TEST_SOURCE_DIR, 0);
        setenv("ZR_DEMO_DATA", ZR_TEST_DEMO_DATA, 0);
    }
};

const CTestEnvironment g_environment;

} // namespace
