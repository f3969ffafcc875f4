#include "app/Ringtonepipeline.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/Ringtonenames.h"
#include "excerpt/Mp3excerpt.h"
#include "frontend/Mp3handler.h"
#include "platform/Exception.h"
#include "platform/Progress.h"
#include "platform/UserInterface.h"
#include "platform/files.h"
#include "platform/process.h"
#include "wave/Wavefile.h"

const char* const kUnknownErrorText =
    "There was an unknown error. Please check the song file or try restarting this program.";

namespace {
const char* const kNoRingtone = "No ringtone was created.";
const char* const kSnippetProblem =
    "There was a problem creating the ring tone. Could not make ringtone.";

std::string AbsolutePath(const std::string& name) {
    return !name.empty() && platform::IsPathSeparator(name[0]) ? name
                                                               : platform::GetCurrentDir() + name;
}

// A killed run could not delete its files; the next run on the song does, sparing those a
// live run still holds.
void DeleteLeftTemporaries(const std::string& songFile, std::size_t nameLimit) {
    const std::string folder = platform::ExtractFilePath(songFile);
    for (const std::string& name : platform::FolderNames(folder)) {
        if (IsRunTemporaryName(songFile, name, nameLimit)) {
            platform::DeleteUnheldFile(folder + name);
        }
    }
}

// Raises the refusal of a ringtone that may not be replaced, after showing the writer's
// message.
[[noreturn]] void RefuseRingtone() {
    platform::Ui().ShowInformation(kSnippetExistsText);
    platform::Ui().HideProgress();
    throw platform::Exception(kSnippetProblem);
}

// Raises the refusal unless ringtoneFile may be replaced (a write-protected one may not).
void RefuseProtectedRingtone(const std::string& ringtoneFile) {
    if (!platform::MayReplaceFile(ringtoneFile)) {
        RefuseRingtone();
    }
}
}  // namespace

RingtonePipeline::RingtonePipeline() : mp3Handler(new MP3Handler) {
    // The run's files must not outlive the process, also when it ends through exit.
    exitHook_ = platform::AddExitHook([this] { FormDestroy(); });
}

RingtonePipeline::~RingtonePipeline() {
    platform::RemoveExitHook(exitHook_);
    FormDestroy();
}

void RingtonePipeline::FormDestroy() { DeleteRunFiles(); }

void RingtonePipeline::MarkTempWavePending(platform::HeldFile file) {
    tempWaveFile = file.name();
    tempWavePath_ = AbsolutePath(file.name());
    tempWaveHold_ = std::move(file);
    tempWavePending = true;
}

void RingtonePipeline::DeletePendingTempWave() {
    // Deleted before it is let go, so no other run can take it for a leftover in between.
    platform::DeleteFile(tempWavePath_.empty() ? tempWaveFile : tempWavePath_);
    tempWaveHold_.Release();
    tempWavePending = false;
}

std::string RingtonePipeline::CreateRunFile(const std::string& stem, const std::string& suffix) {
    platform::HeldFile file = platform::CreateUniqueFile(stem, suffix);
    std::string name = file.name();
    if (file) {
        runFiles_.push_back({AbsolutePath(name), std::move(file)});
    }
    return name;
}

void RingtonePipeline::DeleteRunFiles() {
    if (tempWavePending) {
        DeletePendingTempWave();
    }
    for (const auto& file : runFiles_) {
        platform::DeleteFile(file.path);
    }
    runFiles_.clear();
}

void RingtonePipeline::MoveIntoPlace(const std::string& partial, const std::string& ringtoneFile) {
    RefuseProtectedRingtone(ringtoneFile);
    if (!platform::RenameFile(partial, ringtoneFile)) {
        RefuseRingtone();
    }
    // The name is the ringtone's now; the file is no longer this run's to delete.
    const std::string moved = AbsolutePath(partial);
    runFiles_.erase(std::remove_if(runFiles_.begin(), runFiles_.end(),
                                   [&](const RunFile& file) { return file.path == moved; }),
                    runFiles_.end());
}

void RingtonePipeline::MakeRingtone() {
    platform::UserInterface& ui = platform::Ui();
    if (tempWavePending) {
        DeletePendingTempWave();
    }
    ui.SetProgressPosition(0);
    ui.ShowProgress();
    try {
        MakeRingtoneFiles();
    } catch (...) {
        // Failed or cancelled: nothing this run made stays behind.
        DeleteRunFiles();
        throw;
    }
    ui.SetProgressPosition(platform::kBarDone);
    ui.ShowInformation("The ringtone was successfully created!");
}

void RingtonePipeline::MakeRingtoneFiles() {
    const bool mp3 = IsMp3Song(songFile);
    const std::size_t nameLimit = platform::FileNameLimit(platform::ExtractFilePath(songFile));
    const std::string ringtoneFile = RingtoneFileName(songFile, nameLimit);
    const std::string stem = RunTemporaryStem(songFile, nameLimit);
    DeleteLeftTemporaries(songFile, nameLimit);
    RefuseProtectedRingtone(ringtoneFile);

    // MP3 songs take the excerpt road unless it declines the song; both roads leave the
    // same snippet, which is then encoded and moved into place alike.
    std::string snippetFile = mp3 && excerptRoad ? WriteExcerptSnippet(stem) : std::string();
    if (snippetFile.empty()) {
        snippetFile = WriteWholeSongSnippet(stem, mp3);
    }
    if (snippetStep) {
        snippetStep(snippetFile);
    }

    if (mp3) {
        std::string partial = CreateRunFile(stem, kPartialMp3Suffix);
        if (partial.empty() || !mp3Handler->Encode(snippetFile, partial)) {
            throw platform::Exception(kNoRingtone);
        }
        MoveIntoPlace(partial, ringtoneFile);
    } else {
        MoveIntoPlace(snippetFile, ringtoneFile);
    }
    DeleteRunFiles();
}

std::string RingtonePipeline::WriteExcerptSnippet(const std::string& stem) {
    std::unique_ptr<frontend::Mp3Excerpt> excerpt = frontend::Mp3Excerpt::Plan(songFile);
    if (!excerpt) {
        return {};
    }
    const RingtoneRange range =
        ChooseRingtoneRange(excerpt->DurationSeconds(), startSeconds, lengthSeconds);
    // A range the snippet writer would refuse, and a snippet that cannot be made, go the
    // whole-song road, which shows why.
    if (range.length <= 0 ||
        static_cast<std::int64_t>(range.start) + range.length > excerpt->DurationSeconds()) {
        return {};
    }
    std::string snippetFile = CreateRunFile(stem, kSnippetSuffix);
    platform::ScopedFile out(snippetFile.empty() ? nullptr : platform::CreateNewFile(snippetFile));
    if (!out) {
        return {};
    }
    bool written = excerpt->WriteExcerpt(out.get(), range.start, range.length);
    written = out.Close() && written;
    if (!written) {
        // The decoder did not behave as planned: the whole-song road starts afresh.
        platform::DeleteFile(snippetFile);
        platform::Ui().SetProgressPosition(0);
        return {};
    }
    platform::Ui().SetProgressPosition(platform::kBarAfterSnippet);
    return snippetFile;
}

std::string RingtonePipeline::WriteWholeSongSnippet(const std::string& stem, bool mp3) {
    platform::UserInterface& ui = platform::Ui();
    std::string workFile = songFile;
    if (mp3) {
        platform::HeldFile decoded = platform::CreateUniqueFile(stem, kTempWaveSuffix);
        if (!decoded) {
            throw platform::Exception(kNoRingtone);
        }
        workFile = decoded.name();
        MarkTempWavePending(std::move(decoded));
        if (!mp3Handler->Decode(songFile, workFile)) {
            throw platform::Exception(kNoRingtone);
        }
    }
    ui.SetProgressPosition(platform::kBarAfterDecode);

    auto wave = std::make_unique<WaveFile>(workFile);
    if (!wave->ReadHeader()) {
        ui.HideProgress();
        throw platform::Exception(
            "There was a problem reading the song file. Could not make ringtone.");
    }
    RingtoneRange range =
        ChooseRingtoneRange(wave->GetDurationSeconds(), startSeconds, lengthSeconds);

    std::string snippetFile = CreateRunFile(stem, kSnippetSuffix);
    if (snippetFile.empty()) {
        ui.ShowInformation(kSnippetNotWritableText);
    }
    if (snippetFile.empty() || !wave->WriteSnippet(snippetFile, range.start, range.length)) {
        ui.HideProgress();
        throw platform::Exception(kSnippetProblem);
    }
    return snippetFile;
}

void RingtonePipeline::RunCommandLine(std::string songPath) {
    startSeconds = -1;
    lengthSeconds = 30;
    MakeRingtoneBeside(songPath);
    platform::ExitProcess(1);
}

bool RingtonePipeline::MakeRingtoneBeside(const std::string& songPath) {
    std::string previousDir = platform::GetCurrentDir();
    std::string folder = platform::ExtractFilePath(songPath);
    // A folder that cannot be entered leaves the path as given, which then fails the way a
    // missing song does; the name alone would find a namesake in the folder we are in.
    songFile = folder.empty() || platform::SetCurrentDir(folder)
                   ? platform::ExtractFileName(songPath)
                   : songPath;
    bool made = false;
    platform::RunShowingErrors(
        [this, &made] {
            MakeRingtone();
            made = true;
        },
        kUnknownErrorText);
    platform::SetCurrentDir(previousDir);
    platform::Ui().HideProgress();
    return made;
}
