#include "platform/FontConfiguration.h"

#ifdef SKINEDIT_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

FontConfigurationLoader::FontConfigurationLoader()
{
#ifdef SKINEDIT_HAVE_FONTCONFIG
    // The toolkit's own call later finds the configuration in place (the
    // library publishes it once, atomically).
    thread_ = std::thread([] { FcInit(); });
#endif
}

FontConfigurationLoader::~FontConfigurationLoader() { wait(); }

void FontConfigurationLoader::wait()
{
    if (thread_.joinable())
        thread_.join();
}
