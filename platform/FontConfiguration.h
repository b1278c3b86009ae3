#pragma once

#include <thread>

// The system's font configuration, read on a thread of its own from the
// program's first moment, while the application connects to the display:
// the first text a window measures or draws would otherwise wait for it.
// A no-op where the toolkit finds its fonts without fontconfig.
class FontConfigurationLoader {
public:
    FontConfigurationLoader();
    ~FontConfigurationLoader();
    FontConfigurationLoader(const FontConfigurationLoader&) = delete;
    FontConfigurationLoader& operator=(const FontConfigurationLoader&) = delete;

    // Returns once the configuration is read.
    void wait();

private:
    std::thread thread_;
};
