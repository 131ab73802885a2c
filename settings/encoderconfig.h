#pragma once
// Turns the format keys of the settings file into calls on the audio
// component before an output is created: for MP3 it fills the encoder settings
// object and attaches it to the writer; for WAV, WMA and OGG it sets the
// writer's format. The file is read afresh on every call, so whatever the
// settings dialog stored last applies to the next output.

#include "audio/audiofile.h"
#include "audio/lameencoder.h"
#include "audio/outputformat.h"

#include <functional>
#include <string>

namespace brisklet::settings {

class ProfileFile;

// The settings dialog's "Command Line" text (UTF-8), asked for on every MP3
// configuration; it is not kept in the settings file.
using CommandLineSource = std::function<std::string()>;

class EncoderConfiguration {
public:
    // All three objects must outlive this one. `commandLine` may be empty: no
    // extra options.
    EncoderConfiguration(const ProfileFile& file, audio::IAudioFile2& writer,
                         audio::IAudioFile2LameEnc& encoder, CommandLineSource commandLine = {});

    // Errors of the component (AudioError) pass through to the caller.
    void configure(audio::OutputFormat outputFormat);

private:
    void configureMp3();
    void configureMp3Detailed();
    void configureWav();
    void configureOgg();

    const ProfileFile& m_file;
    audio::IAudioFile2& m_writer;
    audio::IAudioFile2LameEnc& m_encoder;
    CommandLineSource m_commandLine;
};

// One-call form for the command-line front end: opens the settings file at
// `settingsPath` and configures `writer` (and, for MP3, `encoder`) for `outputFormat`.
void configureWriterFromFile(const std::string& settingsPath, audio::OutputFormat outputFormat,
                             audio::IAudioFile2& writer, audio::IAudioFile2LameEnc& encoder,
                             const std::string& commandLine = {});

// What the settings dialog shows on its MP3 general and OGG pages, as list
// positions (a position outside its list stands for the key's default).
struct FormatChoice {
    int mp3Frequency = 7;
    int mp3Bitrate = 9;
    int mp3Channel = 1;
    int oggFrequency = 7;
    int oggChannel = 1;
    int oggBitrate = 9;
    int oggMinBitrate = 9;
    int oggMaxBitrate = 9;
    bool oggQualityMode = false; // the OGG "Quality" box: no OGG check when checked
};

struct FormatCheck {
    bool passed = true;
    // Three lines joined by "\r", as the program has always written them. A Qt
    // label does not break lines at "\r": show it through lineBreaksForDisplay.
    std::string message;
};

// The OGG check (unless quality mode), then the MP3 check; the first refusal wins.
FormatCheck checkFormats(const audio::IAudioFile2& component, const FormatChoice& choice);

// `message` with each "\r" turned into "\n", for a message box.
std::string lineBreaksForDisplay(std::string message);

} // namespace brisklet::settings
