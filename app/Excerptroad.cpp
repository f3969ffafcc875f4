#include "app/Excerptroad.h"

#include <cstdio>
#include <memory>

#include "app/Ringtonenames.h"
#include "frontend/Mp3excerpt.h"
#include "frontend/Mp3handler.h"
#include "platform/UserInterface.h"
#include "platform/files.h"

namespace {
constexpr int kBarAfterDecode = 40;
}

ExcerptRoadResult MakeMp3RingtoneFromExcerpt(MP3Handler& handler, const std::string& songFile,
                                             std::int32_t start, std::int32_t length) {
    std::unique_ptr<frontend::Mp3Excerpt> excerpt = frontend::Mp3Excerpt::Plan(songFile);
    if (!excerpt) {
        return ExcerptRoadResult::Declined;
    }
    const std::int32_t duration = excerpt->DurationSeconds();
    RingtoneRange range = ChooseRingtoneRange(duration, start, length);
    // A range the snippet writer would refuse goes the whole-song road, which shows why.
    if (range.length <= 0 || static_cast<std::int64_t>(range.start) + range.length > duration) {
        return ExcerptRoadResult::Declined;
    }
    // The name the whole-song road gives its snippet.
    const std::string snippetFile = InsertRingtoneSuffix(songFile + "_TEMP.wav");
    std::FILE* out = platform::CreateNewFileForWriting(snippetFile);
    if (!out) {
        return ExcerptRoadResult::Declined;
    }
    platform::UserInterface& ui = platform::Ui();
    bool written = false;
    try {
        written = excerpt->WriteExcerpt(out, range.start, range.length);
    } catch (...) {
        std::fclose(out);
        platform::DeleteFile(snippetFile);
        throw;
    }
    written = std::fclose(out) == 0 && written;
    if (!written) {
        platform::DeleteFile(snippetFile);
        ui.SetProgressPosition(0);
        return ExcerptRoadResult::Declined;
    }
    ui.SetProgressPosition(kBarAfterDecode);

    const std::string ringtoneFile = InsertRingtoneSuffix(songFile);
    bool encoded = false;
    try {
        encoded = handler.Encode(snippetFile, ringtoneFile);
    } catch (...) {
        platform::DeleteFile(snippetFile);
        platform::DeleteFile(ringtoneFile);
        throw;
    }
    platform::DeleteFile(snippetFile);
    if (!encoded) {
        platform::DeleteFile(ringtoneFile);
        return ExcerptRoadResult::EncodeFailed;
    }
    return ExcerptRoadResult::Made;
}
