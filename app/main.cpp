#include "window/Clock.h"
#include "window/MessageService.h"
#include "window/frmKorvanel.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QtMessageService messages;
    SystemClock clock;
    frmKorvanel window(messages, clock);
    messages.setWindow(&window);
    window.show();
    return app.exec();
}
