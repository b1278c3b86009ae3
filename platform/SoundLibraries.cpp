#include "platform/SoundLibraries.h"

#include "base/EditorError.h"

#include <QLibrary>

namespace {

// Loads one library for good (it is never unloaded: the audio thread may
// still be winding down when a player goes away) and resolves functions
// from it; a library that is missing or lacks a function is reported by its
// usual name.
class LibraryLoader {
public:
    LibraryLoader(const char* fileName, int majorVersion, const char* shownName)
        : library_(QString::fromLatin1(fileName), majorVersion), shownName_(shownName)
    {
        if (!library_.load())
            fail();
    }

    template <typename Function>
    void resolve(Function& function, const char* symbol)
    {
        function = reinterpret_cast<Function>(library_.resolve(symbol));
        if (!function)
            fail();
    }

private:
    [[noreturn]] void fail() const
    {
        throw EditorError(QStringLiteral("Cannot load the sound library %1").arg(QLatin1String(shownName_)));
    }

    QLibrary library_;
    const char* shownName_;
};

// libsndfile.so.1 and libSDL2-2.0.so.0 on Linux, libsndfile.1.dylib and
// libSDL2-2.0.0.dylib on macOS; on Windows sndfile.dll and SDL2.dll beside
// the executable (older libsndfile builds name theirs libsndfile-1.dll,
// which would have to be renamed).
SndfileLibrary loadSndfile()
{
    SndfileLibrary api{};
#ifdef _WIN32
    LibraryLoader library("sndfile", -1, "libsndfile");
    library.resolve(api.sf_wchar_open, "sf_wchar_open");
#else
    LibraryLoader library("sndfile", 1, "libsndfile");
    library.resolve(api.sf_open, "sf_open");
#endif
    library.resolve(api.sf_error, "sf_error");
    library.resolve(api.sf_strerror, "sf_strerror");
    library.resolve(api.sf_error_number, "sf_error_number");
    library.resolve(api.sf_readf_float, "sf_readf_float");
    library.resolve(api.sf_seek, "sf_seek");
    library.resolve(api.sf_close, "sf_close");
    return api;
}

SdlAudioLibrary loadSdlAudio()
{
    SdlAudioLibrary api{};
#ifdef _WIN32
    LibraryLoader library("SDL2", -1, "SDL2");
#else
    LibraryLoader library("SDL2-2.0", 0, "SDL2");
#endif
    library.resolve(api.SDL_SetHint, "SDL_SetHint");
    library.resolve(api.SDL_InitSubSystem, "SDL_InitSubSystem");
    library.resolve(api.SDL_QuitSubSystem, "SDL_QuitSubSystem");
    library.resolve(api.SDL_GetError, "SDL_GetError");
    library.resolve(api.SDL_OpenAudioDevice, "SDL_OpenAudioDevice");
    library.resolve(api.SDL_CloseAudioDevice, "SDL_CloseAudioDevice");
    library.resolve(api.SDL_PauseAudioDevice, "SDL_PauseAudioDevice");
    library.resolve(api.SDL_LockAudioDevice, "SDL_LockAudioDevice");
    library.resolve(api.SDL_UnlockAudioDevice, "SDL_UnlockAudioDevice");
    return api;
}

} // namespace

const SndfileLibrary& sndfile()
{
    static const SndfileLibrary api = loadSndfile();
    return api;
}

const SdlAudioLibrary& sdlAudio()
{
    static const SdlAudioLibrary api = loadSdlAudio();
    return api;
}
