#include "app/Ringtonepipeline.h"

#include <memory>

#include "app/Ringtonenames.h"
#include "frontend/Mp3handler.h"
#include "platform/Exception.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "platform/process.h"
#include "wave/Wavefile.h"

const char* const kUnknownErrorText =
    "There was an unknown error. Please check the song file or try restarting this program.";

namespace {
const char* const kNoRingtone = "No ringtone was created.";
constexpr int kBarAfterDecode = 40;
constexpr int kBarDone = 100;
}  // namespace

RingtonePipeline::RingtonePipeline() : mp3Handler(new MP3Handler) {
    // The temporary file must not outlive the process, also when it ends through exit.
    exitHook_ = platform::AddExitHook([this] { FormDestroy(); });
}

RingtonePipeline::~RingtonePipeline() {
    platform::RemoveExitHook(exitHook_);
    FormDestroy();
}

void RingtonePipeline::FormDestroy() {
    if (tempWavePending) {
        DeletePendingTempWave();
    }
}

void RingtonePipeline::MarkTempWavePending(const std::string& name) {
    tempWaveFile = name;
    tempWavePath_ = !name.empty() && platform::IsPathSeparator(name[0])
                        ? name
                        : platform::GetCurrentDir() + name;
    tempWavePending = true;
}

void RingtonePipeline::DeletePendingTempWave() {
    platform::DeleteFile(tempWavePath_.empty() ? tempWaveFile : tempWavePath_);
    tempWavePending = false;
}

void RingtonePipeline::MakeRingtone() {
    platform::UserInterface& ui = platform::Ui();
    if (tempWavePending) {
        DeletePendingTempWave();
    }
    ui.SetProgressPosition(0);
    ui.ShowProgress();

    std::string workFile = songFile;
    if (IsMp3Song(songFile)) {
        workFile += "_TEMP.wav";
        MarkTempWavePending(workFile);
        if (!mp3Handler->Decode(songFile, workFile)) {
            DeletePendingTempWave();
            throw platform::Exception(kNoRingtone);
        }
    }
    ui.SetProgressPosition(kBarAfterDecode);

    std::int32_t start = startSeconds;
    std::int32_t length = lengthSeconds;
    auto wave = std::make_unique<WaveFile>(workFile);
    if (!wave->ReadHeader()) {
        if (tempWavePending) {
            DeletePendingTempWave();
        }
        ui.HideProgress();
        throw platform::Exception(
            "There was a problem reading the song file. Could not make ringtone.");
    }
    RingtoneRange range = ChooseRingtoneRange(wave->GetDurationSeconds(), start, length);

    std::string snippetFile = InsertRingtoneSuffix(workFile);
    if (!wave->WriteSnippet(snippetFile, range.start, range.length)) {
        if (tempWavePending) {
            DeletePendingTempWave();
        }
        ui.HideProgress();
        throw platform::Exception(
            "There was a problem creating the ring tone. Could not make ringtone.");
    }

    if (IsMp3Song(songFile)) {
        std::string ringtoneFile = InsertRingtoneSuffix(songFile);
        bool encoded = mp3Handler->Encode(snippetFile, ringtoneFile);
        platform::DeleteFile(snippetFile);
        DeletePendingTempWave();
        if (!encoded) {
            platform::DeleteFile(ringtoneFile);
            throw platform::Exception(kNoRingtone);
        }
    }
    ui.SetProgressPosition(kBarDone);
    ui.ShowInformation("The ringtone was successfully created!");
}

void RingtonePipeline::RunCommandLine(std::string songPath) {
    std::string previousDir = platform::GetCurrentDir();
    std::string folder = platform::ExtractFilePath(songPath);
    // A folder that cannot be entered leaves the path as given, which then fails the way a
    // missing song does; the name alone would find a namesake in the folder we are in.
    songFile = folder.empty() || platform::SetCurrentDir(folder)
                   ? platform::ExtractFileName(songPath)
                   : songPath;
    startSeconds = -1;
    lengthSeconds = 30;
    try {
        MakeRingtone();
    } catch (const platform::Exception& e) {
        platform::Ui().ShowInformation(e.Message());
    } catch (...) {
        platform::Ui().ShowInformation(kUnknownErrorText);
    }
    platform::SetCurrentDir(previousDir);
    platform::Ui().HideProgress();
    platform::ExitProcess(1);
}
