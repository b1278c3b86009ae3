// Play and stop of the skin's two sounds in the Music panel. Both share the
// one hidden player, so playing one sound ends the other.
#include "options/TfrmSize.h"

#include "options/SoundFiles.h"
#include "platform/MediaPlayer.h"
#include "platform/TCheckBox.h"

namespace {

// Plays the sound's WAV file, or its MP3 file when there is no WAV file;
// nothing when neither exists. Open ends whatever the player had open.
void playSound(TMediaPlayer& player, const QString& baseName)
{
    QString path = SoundFiles::path(baseName, QStringLiteral(".wav"));
    if (!SoundFiles::exists(path)) {
        path = SoundFiles::path(baseName, QStringLiteral(".mp3"));
        if (!SoundFiles::exists(path))
            return;
    }
    // The name stays set even when Open fails, so the sound's stop then
    // reports that nothing is open.
    player.setFileName(path);
    player.Open();
    player.Play();
}

// Stops and closes the player only when it was last given one of this
// sound's files (exact text, case included): a stop picture never ends the
// other sound. Stop reports "No MCI device open" when nothing is open.
void stopSound(TMediaPlayer& player, const QString& baseName)
{
    const QString& current = player.fileName();
    if (current != SoundFiles::path(baseName, QStringLiteral(".wav"))
        && current != SoundFiles::path(baseName, QStringLiteral(".mp3")))
        return;
    player.Stop();
    player.Close();
}

} // namespace

void TfrmSize::imgMusicPlayClick()
{
    if (!chkMusic->isChecked())
        return;
    playSound(*plrMedia, SoundFiles::music());
}

void TfrmSize::imgMusicStopClick()
{
    if (!chkMusic->isChecked())
        return;
    stopSound(*plrMedia, SoundFiles::music());
}

void TfrmSize::Image2Click()
{
    // The button sound can be heard whether or not the skin uses it.
    playSound(*plrMedia, SoundFiles::buttons());
}

void TfrmSize::Image1Click()
{
    if (!chkButtonsMusic->isChecked())
        return;
    stopSound(*plrMedia, SoundFiles::buttons());
}
