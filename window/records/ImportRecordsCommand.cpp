#include "window/records/ImportRecordsCommand.h"

#include "storage/RecordStore.h"
#include "storage/SafeFile.h"
#include "submission/DuplicateIndex.h"
#include "submission/RecordsImport.h"
#include "window/history/SubmissionHistoryCommands.h"
#include "window/main/RecordCommands.h"
#include "window/main/RecordPresenter.h"
#include "window/main/SentRecordsReading.h"
#include "window/main/StoredRecordsWait.h"
#include "window/provider/ProviderCodeCheck.h"
#include "window/records/ImportRecordsDialog.h"
#include "window/services/Clock.h"
#include "window/services/OpenFilePrompt.h"
#include "window/widgets/ModalDialog.h"

#include <QFileInfo>
#include <QWidget>

ImportRecordsCommand::ImportRecordsCommand(QWidget& window, const ProviderCodeCheck& providerCode,
                                           RecordStore& store, RecordPresenter& presenter,
                                           RecordCommands& commands, DuplicateIndex& index,
                                           SentRecordsReading& sent, Clock& clock, QObject* parent)
    : QObject(parent), window_(window), providerCode_(providerCode), store_(store),
      presenter_(presenter), commands_(commands), index_(index), sent_(sent), clock_(clock),
      qtPrompt_(std::make_unique<QtOpenFilePrompt>(&window)), prompt_(qtPrompt_.get()) {}

ImportRecordsCommand::~ImportRecordsCommand() = default;

void ImportRecordsCommand::openImportRecords() {
    if (commands_.EditMode() == Editing::NewRecord)
        return;
    const QString path = prompt_->ask(QStringLiteral("Choose a File to Import"),
                                      SubmissionHistoryCommands::documentsFolder());
    if (path.isEmpty())
        return;
    const QString title = QStringLiteral("Import Records");
    QHash<QString, int> storedKeys;
    FileStatus failure;
    if (!StoredRecordsWait::readForComparing(
            window_, title, store_, index_, sent_, nullptr,
            [&](const QList<ResultRecord>& read) { storedKeys = ImportContext::keysOf(read); },
            failure)) {
        // Nothing is imported; a wait given up is no failure to report.
        if (!failure)
            emit fileFailed(failure);
        return;
    }
    // A folder or file in Submit that could not be read is told; the records are compared with
    // every one that could.
    if (!index_.unreadableFiles().isEmpty())
        emit fileFailed(index_.unreadableFiles().first());
    ImportContext context;
    context.providerCode = providerCode_.CurrentProviderCode();
    context.today = clock_.now().date();
    context.storedKeys = std::move(storedKeys);
    context.sent = &index_;
    auto* dialog =
        new ImportRecordsDialog(SafeFile::displayName(QFileInfo(path).fileName()), &window_);
    dialog->check(path, context);
    connect(dialog, &ImportRecordsDialog::importChosen, this,
            [this, path](const ImportReport& report) { importChecked(path, report); });
    showModalDialog(dialog, window_);
}

void ImportRecordsCommand::importChecked(const QString& path, const ImportReport& report) {
    // Checked again against what is stored and sent now, while the records are written.
    ImportContext context;
    context.providerCode = providerCode_.CurrentProviderCode();
    context.today = clock_.now().date();
    context.sent = &index_;
    int first = 0;
    int appended = 0;
    const FileStatus status =
        RecordsImport::importFile(path, report, context, store_, first, appended);
    int count = 0;
    if (store_.isOpen() && store_.count(count))
        presenter_.recordsAppended(count);
    if (!status)
        emit fileFailed(status);
    if (appended > 0)
        commands_.goToRecord(first);
}
