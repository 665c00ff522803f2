#include "MainWindowFixture.h"

#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

PrintOutcome FakePrinter::printPage(const QStringList& lines, const QString& pdfFallbackPath) {
    pages.append(lines);
    lastPdfPath = pdfFallbackPath;
    if (passTo)
        return passTo->printPage(lines, pdfFallbackPath);
    return nextOutcome ? *nextOutcome : PrintOutcome::printed();
}

PrintOutcome FakePrinter::printDocument(const PrintedDocument& document,
                                        const QString& pdfFallbackPath,
                                        const PrintProgress& progress) {
    if (!passTo)
        return Printer::printDocument(document, pdfFallbackPath, progress);
    pages.append(document.lines());
    lastPdfPath = pdfFallbackPath;
    return passTo->printDocument(document, pdfFallbackPath, progress);
}

ProviderCodePrompt::Answer ScriptedProviderCodePrompt::ask(const QString& enteredProviderCode,
                                                           const QString& codeInForce) {
    ++asked;
    lastShown = enteredProviderCode;
    lastCodeInForce = codeInForce;
    if (whileOpen)
        whileOpen();
    const std::optional<QString> answer = answers.isEmpty() ? std::nullopt : answers.dequeue();
    if (answer)
        return Answer{*answer, false};
    return Answer{codeInForce, true};
}

MainWindowFixture::MainWindowFixture() = default;

MainWindowFixture::MainWindowFixture(const QString& appPath) : appPath_(appPath) {}

MainWindowFixture::~MainWindowFixture() = default;

QString MainWindowFixture::appPath() const {
    return appPath_.isEmpty() ? dir_.path() : appPath_;
}

QString MainWindowFixture::path(const QString& relative) const {
    return appPath() + QLatin1Char('/') + relative;
}

void MainWindowFixture::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(full));
    file.write(bytes);
}

QByteArray MainWindowFixture::readFile(const QString& relative) const {
    QFile file(path(relative));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool MainWindowFixture::exists(const QString& relative) const {
    return QFileInfo::exists(path(relative));
}

void MainWindowFixture::writeRecords(const QList<ResultRecord>& records) const {
    QByteArray bytes;
    for (const ResultRecord& record : records)
        bytes.append(record.encode());
    writeFile(QStringLiteral("AppData/Korvanel.dat"), bytes);
}

QList<ResultRecord> MainWindowFixture::storedRecords() const {
    const QByteArray bytes = readFile(QStringLiteral("AppData/Korvanel.dat"));
    QList<ResultRecord> records;
    for (qsizetype offset = 0; offset < bytes.size(); offset += ResultRecord::Size)
        records.append(ResultRecord::decode(bytes.mid(offset, ResultRecord::Size)));
    return records;
}

void MainWindowFixture::setProviderFile(const QByteArray& bytes) const {
    writeFile(QStringLiteral("AppData/provider.txt"), bytes);
}

bool MainWindowFixture::start() {
    MessageService& service =
        realMessageBoxes ? static_cast<MessageService&>(realMessages_) : messages;
    window_ = std::make_unique<frmKorvanel>();
    realMessages_.setWindow(window_.get());
    controller_ =
        window_->makeController(appPath(), MainWindowServices{service, clock, printer, prompt});
    QObject::connect(controller_.get(), &MainWindowController::finished,
                     [this](int code) { exitCode = code; });
    if (beforeStartUp)
        beforeStartUp(controller());
    const bool started = controller_->StartUp();
    if (started) {
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get()))
            qWarning("the main window did not become active");
        // The city list goes into its box once the window has been drawn.
        if (!QTest::qWaitFor([this] { return !controller().cityListPending(); }, 5000))
            qWarning("the city list was not filled");
    }
    return started;
}

frmKorvanel& MainWindowFixture::window() {
    return *window_;
}

Ui::frmKorvanel& MainWindowFixture::form() {
    return MainWindowTestAccess::controls(*window_);
}

MainWindowTestAccess MainWindowFixture::controller() {
    return MainWindowTestAccess(*controller_);
}

RunState MainWindowFixture::state() {
    return controller().state();
}

QString MainWindowFixture::describeWindowState() {
    Ui::frmKorvanel& c = form();
    QString buttons;
    for (QPushButton* button :
         {c.cmdNew, c.cmdPrevious, c.cmdNext, c.cmdPrint, c.cmdWriteEFile, c.cmdUpdate, c.cmdExit})
        buttons += button->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    const RunState shown = state();
    return QStringLiteral("record=%1 count=%2 mode=%3 buttons=%4 %5 last=%6 first=%7 title=%8")
        .arg(shown.CurrentRecord)
        .arg(shown.RecordCount)
        .arg(shown.EditMode == Editing::NewRecord ? "new" : "notnew", buttons, c.cmdDelete->text(),
             c.txtLastName->text(), c.txtFirstName->text(),
             window().windowTitle().section('(', -1));
}
