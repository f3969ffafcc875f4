#pragma once
// chimewick-choose's window: a song opened by button, drop or command line, its length,
// format and waveform, the part chosen on it by mouse, keys or typed times, fades, the part
// heard through the audio output (Play or Space, a double-click plays from that point), and
// "Make Ringtone" through the pipeline with its progress dialog and Cancel.
//
// The overview's worker never runs beside a decoder of the pipeline (Songoverview.h): it
// is cancelled and joined before a song is read, before the preview opens its decoder and
// before a ringtone is made, and started afresh afterwards when it had not finished. The
// preview is stopped before a song is read and before a ringtone is made.

#include <QWidget>

#include <functional>
#include <string>

#include "app/Ringtonenames.h"
#include "chooser/Fades.h"
#include "chooser/Songoverview.h"

class QCheckBox;
class QDoubleSpinBox;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class PartPreview;
class WaveformView;

// Shows file in the desktop's file manager: selected in its folder where the file manager
// offers org.freedesktop.FileManager1 on the session bus, else by opening the folder.
void ShowInFolder(const std::string& file);

class ChooseWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChooseWindow(QWidget* parent = nullptr);
    ~ChooseWindow() override;

    // Shows the song at path (made absolute): its facts, the automatic part, and starts its
    // overview. A song that cannot be read shows the pipeline's messages instead.
    void OpenSong(const std::string& path);
    // OpenSong once the window has been drawn: at start-up the window appears at once, with
    // the song's name, also when reading an hour-long song's facts takes a while.
    void OpenSongWhenShown(const std::string& path);

    // The open-file dialog (owner, folder, filter), returning the chosen path or "" when
    // cancelled. QFileDialog by default; tests put a scripted answer here.
    std::function<std::string(QWidget*, const QString&, const QString&)> chooseSongFile;

    const chooser::SongFacts& Facts() const { return facts_; }
    RingtoneRange Part() const { return part_; }
    // The ringtone the last successful run made, as a full path ("" before one).
    const std::string& RingtonePath() const { return ringtonePath_; }
    bool OverviewComplete() const;
    bool Playing() const;

    QPushButton* openButton = nullptr;
    QLabel* songName = nullptr;
    QLabel* songLength = nullptr;
    QLabel* songFormat = nullptr;
    QLabel* songProblem = nullptr;
    WaveformView* waveform = nullptr;
    QLineEdit* partStart = nullptr;
    QLineEdit* partLength = nullptr;
    QLabel* partEnd = nullptr;
    QLabel* fieldRefusal = nullptr;
    QLabel* iphoneNote = nullptr;
    QCheckBox* fadeIn = nullptr;
    QDoubleSpinBox* fadeInSeconds = nullptr;
    QCheckBox* fadeOut = nullptr;
    QDoubleSpinBox* fadeOutSeconds = nullptr;
    QLabel* fadeNote = nullptr;
    QPushButton* playButton = nullptr;
    QPushButton* makeButton = nullptr;
    QLabel* ringtoneLabel = nullptr;
    QPushButton* playRingtone = nullptr;
    QPushButton* showFolder = nullptr;

public slots:
    void OpenClick();
    // Makes the ringtone of the part shown (after reading both fields; a refused one
    // makes nothing); ignored while one is being made.
    void MakeClick();
    // Plays the part from its start, or stops what plays.
    void PlayClick();
    // Plays from second up to the part's end (the song's end from behind the part).
    void PlayFrom(std::int64_t second);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BuildControls();
    void ShowPart(RingtoneRange part);
    void StartEdited();
    void LengthEdited();
    // Reads the start or length field into the part; false, with the refusal shown under
    // the fields, when the text is no time.
    bool ApplyField(QLineEdit* field);
    void PollOverview();
    void SetMaking(bool making);
    void StopPreview();
    void PreviewStopped();
    // The play or the stop glyph on the play button, in the palette's colours.
    void ShowPlayIcon(bool playing);
    // Lets the overview's worker go on after the preview or a run, when it had not finished.
    void ResumeOverview(bool wasComplete);
    chooser::Fades ChosenFades() const;
    std::int32_t Duration() const { return facts_.durationSeconds; }

    chooser::SongFacts facts_;
    chooser::SongOverview overview_;
    RingtoneRange part_{-1, 0};
    std::string ringtonePath_;
    QTimer* poll_ = nullptr;
    PartPreview* preview_ = nullptr;
    QTimer* playhead_ = nullptr;
    bool overviewDoneBeforePreview_ = true;
    std::string songWhenShown_;
    bool making_ = false;
    bool playing_ = false;
};
