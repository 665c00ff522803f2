// Starts the main window with scripted services on an existing program folder, clicks one
// command button and prints what the window looked like before and after, every message shown
// and whether the program asked to end. tst_CommandFaults runs it under strace to make the
// command's file operations fail.
//
//   tool_commands_driver APP_PATH STEP [STEP...]   e.g. cmdNext, or txtFirstName=Ann cmdUpdate
// A step is a button to click or CONTROL=TEXT to type into a text box. Every step but the last
// runs before the "before" line is printed.
// Output lines: "before: STATE", "message: TITLE|TEXT" (its line breaks shown as " / "),
// "after: STATE", "exit: CODE|none".
#include "support/MainWindowFixture.h"
#include "window/main/MainWindowController.h"
#include "window/main/frmKorvanel.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

namespace {

void print(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fputs("usage: tool_commands_driver APP_PATH BUTTON [BUTTON...]\n", stderr);
        return 2;
    }
    MainWindowFixture fixture(arguments[1]);
    if (!fixture.start()) {
        for (const ScriptedMessageService::Message& message : fixture.messages.messages)
            print(QStringLiteral("message: %1|%2").arg(message.title, message.text));
        print(QStringLiteral("start failed"));
        return 1;
    }
    const QStringList buttons = arguments.mid(2);
    for (const QString& name : buttons) {
        if (name.contains(QLatin1Char('='))) {
            auto* box =
                fixture.window().findChild<QLineEdit*>(name.section(QLatin1Char('='), 0, 0));
            if (!box) {
                print(QStringLiteral("no text box ") + name);
                return 2;
            }
            box->setFocus(Qt::OtherFocusReason);
            box->selectAll();
            QTest::keyClicks(box, name.section(QLatin1Char('='), 1));
            continue;
        }
        auto* button = fixture.window().findChild<QPushButton*>(name);
        if (!button) {
            print(QStringLiteral("no button ") + name);
            return 2;
        }
        if (&name == &buttons.last()) {
            fixture.messages.messages.clear();
            print(QStringLiteral("before: ") + fixture.describeWindowState());
        }
        QTest::mouseClick(button, Qt::LeftButton);
    }
    for (const ScriptedMessageService::Message& message : fixture.messages.messages)
        print(
            QStringLiteral("message: %1|%2")
                .arg(message.title,
                     QString(message.text).replace(QStringLiteral("\r\n"), QStringLiteral(" / "))));
    print(QStringLiteral("after: ") + fixture.describeWindowState());
    print(QStringLiteral("exit: ") +
          (fixture.exitCode ? QString::number(*fixture.exitCode) : QStringLiteral("none")));
    return 0;
}
