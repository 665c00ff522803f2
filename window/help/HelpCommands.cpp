#include "window/help/HelpCommands.h"

#include "storage/AppPaths.h"
#include "storage/RecordStore.h"
#include "window/help/OperatorsGuideWindow.h"
#include "window/main/RecordPresenter.h"
#include "window/services/MessageService.h"

#include <QDir>
#include <QWidget>

HelpCommands::HelpCommands(QWidget& window, MessageService& messages, const QString& appPath,
                           const RecordStore& store, QObject* parent)
    : QObject(parent), window_(window), messages_(messages), appPath_(appPath), store_(store) {}

void HelpCommands::openOperatorsGuide() {
    if (!guide_) {
        guide_ = new OperatorsGuideWindow(&window_);
        guide_->setAttribute(Qt::WA_DeleteOnClose);
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

OperatorsGuideWindow* HelpCommands::guideWindow() const {
    return guide_;
}

void HelpCommands::showAbout() {
    int records = 0;
    const FileStatus status = store_.count(records);
    const QString counted = status
                                ? QString::number(records)
                                : QStringLiteral("could not be counted (%1)").arg(status.reason());
    messages_.show(aboutText(appPath_, counted), QStringLiteral("About Korvanel"),
                   MessageButtons::Ok, MessageIcon::None);
}

QString HelpCommands::aboutText(const QString& appPath, const QString& records) {
    return QStringLiteral("Korvanel Blood Lead Result Reporting\r\n"
                          "Version %1\r\n\r\n"
                          "Program folder: %2\r\n"
                          "Data file: %3\r\n"
                          "Records in the data file: %4\r\n\r\n"
                          "Qt version: %5\r\n"
                          "Operator's Guide: built into the program; Help > Operator's Guide "
                          "(F1) opens it.")
        .arg(RecordPresenter::VersionText().mid(1), QDir::toNativeSeparators(appPath),
             QDir::toNativeSeparators(AppPaths{appPath}.dataFile()), records,
             QString::fromLatin1(qVersion()));
}
