#include "window/services/MessageService.h"

#include "storage/FileStatus.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

MessageAnswer QtMessageService::show(const QString& text, const QString& title,
                                     MessageButtons buttons, MessageIcon icon) {
    QMessageBox box(window_);
    box.setWindowTitle(title);
    // Plain text, so that no message is taken for markup; a "\r" would show as a second break.
    box.setTextFormat(Qt::PlainText);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtMessageService::beep() {
    QApplication::beep();
}

void showCannotStart(MessageService& messages, const FileStatus& failure) {
    const QString advice = failure.advice();
    messages.show(QStringLiteral("The program cannot start:\r\n%1\r\n%2%3")
                      .arg(QDir::toNativeSeparators(failure.path()), failure.reason(),
                           advice.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + advice),
                  QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}
