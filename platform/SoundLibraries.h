#pragma once

#ifdef _WIN32
#include <windows.h>
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#endif
#include <sndfile.h>

#include <SDL.h>

// libsndfile and SDL are loaded on first use rather than linked: they bring
// some thirty libraries of their own (codecs, sound servers, display back
// ends), and loading those at every start-up costs the editor a good share of
// its launch time and memory for previews most sessions never use. The
// headers still give the types and constants; these are the functions.
struct SndfileLibrary {
#ifdef _WIN32
    decltype(&::sf_wchar_open) sf_wchar_open;
#else
    decltype(&::sf_open) sf_open;
#endif
    decltype(&::sf_error) sf_error;
    decltype(&::sf_strerror) sf_strerror;
    decltype(&::sf_error_number) sf_error_number;
    decltype(&::sf_readf_float) sf_readf_float;
    decltype(&::sf_seek) sf_seek;
    decltype(&::sf_close) sf_close;
};

struct SdlAudioLibrary {
    decltype(&::SDL_SetHint) SDL_SetHint;
    decltype(&::SDL_InitSubSystem) SDL_InitSubSystem;
    decltype(&::SDL_QuitSubSystem) SDL_QuitSubSystem;
    decltype(&::SDL_GetError) SDL_GetError;
    decltype(&::SDL_OpenAudioDevice) SDL_OpenAudioDevice;
    decltype(&::SDL_CloseAudioDevice) SDL_CloseAudioDevice;
    decltype(&::SDL_PauseAudioDevice) SDL_PauseAudioDevice;
    decltype(&::SDL_LockAudioDevice) SDL_LockAudioDevice;
    decltype(&::SDL_UnlockAudioDevice) SDL_UnlockAudioDevice;
};

// The loaded functions. The first call loads the library and throws
// EditorError ("Cannot load the sound library ...") when that fails (a later
// call tries again); every call after a successful one is a plain read.
const SndfileLibrary& sndfile();
const SdlAudioLibrary& sdlAudio();
