#include "ScriptedMessageService.h"

#include <QRegularExpression>
#include <QTest>

MessageAnswer ScriptedMessageService::show(const QString& text, const QString& title,
                                           MessageButtons buttons, MessageIcon icon) {
    const Message message{text, title, buttons, icon};
    messages.append(message);
    if (boxesAllowed_ > 0)
        --boxesAllowed_;
    else
        failOnUnexpectedBox(title, text, "more message boxes than the test expected",
                            unexpectedBoxes_);
    if (whileOpen)
        whileOpen(message);
    if (!answers_.isEmpty())
        return answers_.dequeue();
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void failOnUnexpectedBox(const QString& title, const QString& text, const char* why,
                         int& unexpectedSoFar) {
    QString oneLine = text;
    oneLine.replace(QRegularExpression(QStringLiteral("\r?\n")), QStringLiteral(" / "));
    const QByteArray report = QStringLiteral("unexpected message box \"%1\" saying \"%2\" (%3)")
                                  .arg(title, oneLine, QLatin1String(why))
                                  .toUtf8();
    if (++unexpectedSoFar > 1 || !QTest::currentTestFunction())
        qFatal("%s", report.constData());
    QTest::qFail(report.constData(), __FILE__, __LINE__);
}
