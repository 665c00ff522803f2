#include "window/main/MainWindowController.h"

#include "reference/CityList.h"
#include "reference/ReferenceText.h"
#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "submission/DuplicateIndex.h"
#include "ui_frmKorvanel.h"
#include "validation/FieldCodes.h"
#include "window/help/HelpCommands.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/main/AfterFirstPaint.h"
#include "window/main/DeleteRecovery.h"
#include "window/main/DuplicateWarning.h"
#include "window/main/FieldRules.h"
#include "window/main/InterruptedSubmissionPrompt.h"
#include "window/main/MainMenu.h"
#include "window/main/RecordCommands.h"
#include "window/main/RecordPresenter.h"
#include "window/main/SentRecordsReading.h"
#include "window/main/SubmissionCommand.h"
#include "window/main/frmKorvanel.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/records/FollowUpCommands.h"
#include "window/records/ImportRecordsCommand.h"
#include "window/records/RecordMenuCommands.h"
#include "window/services/MessageService.h"
#include "window/widgets/MaskedEdit.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cerrno>

namespace {

const int kNearlyFullThreshold = 250;

bool FileExists(const QString& path) {
    return QFileInfo::exists(path);
}

// Places the window's frame, title bar included, in the middle of its screen, halving the
// difference as a real number. Before the frame is known its size is the window's own.
void centreFrame(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QWindow* handle = window.windowHandle();
    const QSize frame = window.size().grownBy(handle ? handle->frameMargins() : QMargins());
    window.move(area.x() + qRound((area.width() - frame.width()) / 2.0),
                area.y() + qRound((area.height() - frame.height()) / 2.0));
}

// Centres the window once more as soon as its frame is known, then leaves it where the
// operator puts it.
class FrameCentring : public QObject {
public:
    explicit FrameCentring(QWidget& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        const bool placed = type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize;
        if (watched == &window_ && placed && !done_ && window_.windowHandle() &&
            !window_.windowHandle()->frameMargins().isNull()) {
            done_ = true;
            centreFrame(window_);
            deleteLater();
        }
        return false;
    }

private:
    QWidget& window_;
    bool done_ = false;
};

} // namespace

MainWindowController::MainWindowController(frmKorvanel& window, Ui::frmKorvanel& controls,
                                           QString appPath, MainWindowServices services)
    : window_(window), controls_(controls), services_(services), appPath_(std::move(appPath)) {
    MessageService& messages = services_.messages;
    Clock& clock = services_.clock;
    store_ = std::make_unique<RecordStore>(AppPaths{appPath_}.appData());
    providerCodeCheck_ = std::make_unique<ProviderCodeCheck>(
        appPath_, controls_.txtProviderCode, messages, services_.providerCodePrompt);
    presenter_ = std::make_unique<RecordPresenter>(window, controls_, *store_, *providerCodeCheck_);
    fieldRules_ = std::make_unique<FieldRules>(window, controls_, *presenter_, messages, clock);
    deleteRecovery_ = std::make_unique<DeleteRecovery>(*store_, *presenter_, messages);
    connect(deleteRecovery_.get(), &DeleteRecovery::fileFailed, this,
            &MainWindowController::reportFileFailure);
    submission_ = std::make_unique<SubmissionCommand>(
        window, controls_, appPath_, *store_, *presenter_, *providerCodeCheck_, messages, clock);
    connect(submission_.get(), &SubmissionCommand::finished, this, &MainWindowController::finished);
    connect(submission_.get(), &SubmissionCommand::fileFailed, this,
            &MainWindowController::reportFileFailure);
    commands_ = std::make_unique<RecordCommands>(window, controls_, appPath_, *store_, *presenter_,
                                                 *fieldRules_, messages, clock, services_.printer,
                                                 *deleteRecovery_, *submission_);
    connect(commands_.get(), &RecordCommands::finished, this, &MainWindowController::finished);
    connect(commands_.get(), &RecordCommands::fileFailed, this,
            &MainWindowController::reportFileFailure);
    connect(controls_.cmdChangeProviderCode, &QPushButton::clicked, this,
            [this] { runProviderCodeCheck(false); });
    keepTypedListText();
    buildRecordsMenu();
    buildHelpMenu();
}

void MainWindowController::buildRecordsMenu() {
    const QString submitFolder = AppPaths{appPath_}.submit();
    duplicates_ = std::make_unique<DuplicateIndex>();
    store_->setObserver(duplicates_.get());
    sentReading_ = std::make_unique<SentRecordsReading>(window_, *duplicates_, submitFolder);
    menu_ = new MainMenu(window_, *controls_.cmdNext, *controls_.cmdNew);
    recordMenu_ = new RecordMenuCommands(window_, *store_, *commands_, *duplicates_, *sentReading_,
                                         *providerCodeCheck_, this);
    duplicateWarning_ = new DuplicateWarning(window_, services_.messages, *duplicates_,
                                             *sentReading_, *store_, this);
    connect(menu_->findRecord(), &QAction::triggered, recordMenu_,
            &RecordMenuCommands::openFindRecord);
    connect(menu_->checkAllRecords(), &QAction::triggered, recordMenu_,
            &RecordMenuCommands::openCheckAllRecords);
    connect(recordMenu_, &RecordMenuCommands::fileFailed, this,
            &MainWindowController::reportFileFailure);
    importRecords_ =
        new ImportRecordsCommand(window_, *providerCodeCheck_, *store_, *presenter_, *commands_,
                                 *duplicates_, *sentReading_, services_.clock, this);
    connect(menu_->importRecords(), &QAction::triggered, importRecords_,
            &ImportRecordsCommand::openImportRecords);
    connect(importRecords_, &ImportRecordsCommand::fileFailed, this,
            &MainWindowController::reportFileFailure);
    connect(commands_.get(), &RecordCommands::newRecordSaved, duplicateWarning_,
            &DuplicateWarning::newRecordSaved);

    historyCommands_ = new SubmissionHistoryCommands(window_, appPath_, *store_, services_.messages,
                                                     services_.clock, services_.printer, this);
    connect(menu_->submissionHistory(), &QAction::triggered, historyCommands_,
            &SubmissionHistoryCommands::openSubmissionHistory);
    connect(menu_->exportRecords(), &QAction::triggered, historyCommands_,
            &SubmissionHistoryCommands::exportRecords);
    connect(historyCommands_, &SubmissionHistoryCommands::fileFailed, this,
            &MainWindowController::reportFileFailure);

    connect(menu_->newResultForThisChild(), &QAction::triggered, commands_.get(),
            &RecordCommands::newResultForThisChild);
    followUp_ = new FollowUpCommands(window_, appPath_, *store_, *commands_, *historyCommands_,
                                     services_.messages, services_.clock, this);
    connect(menu_->followUpDue(), &QAction::triggered, followUp_,
            &FollowUpCommands::openFollowUpDue);
    connect(followUp_, &FollowUpCommands::fileFailed, this,
            &MainWindowController::reportFileFailure);
}

void MainWindowController::buildHelpMenu() {
    help_ = new HelpCommands(window_, services_.messages, appPath_, *store_, this);
    connect(menu_->operatorsGuide(), &QAction::triggered, help_, &HelpCommands::openOperatorsGuide);
    connect(menu_->about(), &QAction::triggered, help_, &HelpCommands::showAbout);
}

void MainWindowController::keepTypedListText() {
    // What the operator types into a list box is stored as typed: no completion from the list
    // (typing "Spring" must not become "Springfield"), and Enter never adds it to the list,
    // which holds the reference file's entries only, each tied to its line.
    for (QComboBox* box : {controls_.cboCity, controls_.cboZip, controls_.cboPhysician}) {
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
    }
}

MainWindowController::~MainWindowController() {
    // The reading of Submit is stopped and waited for before anything it reports to goes.
    sentReading_.reset();
    store_->setObserver(nullptr);
    // The window outlives the controller: a list still to be filled must not reach back into it.
    delete pendingCities_.data();
}

void MainWindowController::reportFileFailure(const FileStatus& status) {
    // Advice only where it fits the error; otherwise the system's reason says it all.
    const QString advice = status.advice();
    services_.messages.show(
        QStringLiteral("A file could not be read or written:\r\n%1\r\n%2\r\n\r\nWhat is "
                       "typed in the window is still there.%3")
            .arg(QDir::toNativeSeparators(status.path()), status.reason(),
                 advice.isEmpty() ? QString() : QLatin1Char(' ') + advice),
        QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}

bool MainWindowController::failStartUp(const FileStatus& status) {
    // A file failure like any other; "Korvanel CM" belongs to the second copy's message alone.
    showCannotStart(services_.messages, status);
    emit finished(1);
    return false;
}

void MainWindowController::runProviderCodeCheck(bool startup) {
    // The records being handed on keep the code they are checked with.
    if (submission_->isCheckingRecords())
        return;
    FileStatus status = providerCodeCheck_->run(startup);
    if (!status)
        reportFileFailure(status);
    presenter_->MandatoryFieldHighlight(controls_.txtProviderCode);
}

bool MainWindowController::StartUp() {
    const AppPaths paths{appPath_};
    // AppData taken by something else stops start-up before anything is made: the data file
    // cannot be opened. Submit taken by anything (a file, a link to nothing) does not: it is not
    // made over, the operator can still enter records, and the submission reports it.
    if (FileExists(paths.appData()) && !QFileInfo(paths.appData()).isDir())
        return failStartUp(FileStatus::fromErrno(paths.appData(), ENOTDIR));
    if (!FileExists(paths.appData())) {
        if (FileStatus status = SafeFile::makePrivateFolder(paths.appData()); !status)
            return failStartUp(status);
    }
    SafeFile::Entry submit;
    if (SafeFile::inspect(paths.submit(), submit) && !submit.exists) {
        if (FileStatus status = SafeFile::makePrivateFolder(paths.submit()); !status)
            return failStartUp(status);
    }
    centreWindow();
    controls_.mskDateTaken->setMaskPattern(MaskedEdit::DateMask);
    controls_.mskDateOfBirth->setMaskPattern(MaskedEdit::DateMask);
    controls_.mskAnalysisDate->setMaskPattern(MaskedEdit::DateMask);
    controls_.mskPhone->setMaskPattern(MaskedEdit::PhoneMask);
    fillFixedLists();
    if (FileExists(paths.physicianFile())) {
        if (FileStatus status = loadPhysicians(); !status)
            return failStartUp(status);
    }

    if (FileStatus status = store_->open(); !status)
        return failStartUp(status);
    int storedRecords = 0;
    if (FileStatus status = store_->count(storedRecords); !status)
        return failStartUp(status);
    const InterruptedSubmissionAnswer interrupted =
        offerToFinishInterruptedSubmission(services_.messages, *store_, appPath_, storedRecords);
    if (!interrupted.failure && !store_->isOpen())
        return failStartUp(interrupted.failure);
    if (!interrupted.failure)
        reportFileFailure(interrupted.failure);
    if (interrupted.emptied)
        storedRecords = 0;
    if (storedRecords > kNearlyFullThreshold) {
        services_.messages.show(QStringLiteral("The file is nearly full!\nPlease Create "
                                               "Electronic File as soon as possible."),
                                QStringLiteral("Record Limit Notification"), MessageButtons::Ok,
                                MessageIcon::Warning);
    }
    presenter_->fileOpened(storedRecords);
    if (storedRecords == 0)
        commands_->enterFirstRecord();

    if (FileStatus status = providerCodeCheck_->readProviderFile(); !status)
        return failStartUp(status);
    // Read before the window is shown, so that a city file that cannot be read ends start-up
    // before the window appears; the list is built once the window is drawn.
    if (FileExists(paths.cityFile())) {
        if (FileStatus status = loadCities(); !status)
            return failStartUp(status);
    }

    window_.show();
    if (FileStatus status = presenter_->ShowCurrentRecord(); !status)
        return failStartUp(status);

    runProviderCodeCheck(true);

    if (!commands_->FirstRecord())
        presenter_->moveFocusTo(controls_.cmdNew);
    // The files of Submit are read in a worker once the window is drawn, so that the first
    // duplicate check rarely has to wait for them.
    new AfterFirstPaint(window_, {}, [reading = QPointer<SentRecordsReading>(sentReading_.get())] {
        if (reading)
            reading->start();
    });
    return true;
}

void MainWindowController::centreWindow() {
    centreFrame(window_);
    // A window manager adds the frame only once the window is shown: centre it again then.
    window_.installEventFilter(new FrameCentring(window_));
}

void MainWindowController::fillFixedLists() {
    controls_.cboRaceCode->addItems(FieldCodes::raceEntries());
    controls_.cboAncestry->addItems(FieldCodes::ancestryEntries());
}

FileStatus MainWindowController::loadPhysicians() {
    QStringList lines;
    FileStatus status = ReferenceText::readLines(AppPaths{appPath_}.physicianFile(), lines);
    if (status)
        controls_.cboPhysician->addItems(lines);
    return status;
}

// Reads the whole file: reading it costs a fraction of a millisecond (1.46 MB from the page cache),
// and a file that opens but fails to read stops start-up like one that does not open. Splitting it
// into lines (some 5 ms for 32,767 lines) and filling cboCity wait until the window is drawn, or
// until the operator reaches for the box, whichever comes first: a key, click, wheel turn or focus
// meant for the box fills the list before the box sees it.
FileStatus MainWindowController::loadCities() {
    QByteArray bytes;
    FileStatus status = SafeFile::readPrefix(AppPaths{appPath_}.cityFile(), bytes);
    if (!status)
        return status;
    pendingCities_ =
        new AfterFirstPaint(window_, {controls_.cboCity, controls_.cboCity->lineEdit()},
                            [this, bytes] { fillCities(bytes); });
    return status;
}

void MainWindowController::fillCities(const QByteArray& cityFile) {
    fieldRules_->fillCityList(CityList::fromLines(ReferenceText::splitLines(cityFile)));
}
