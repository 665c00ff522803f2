#include "window/widgets/ReadingProgressWindow.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ReadingProgressWindow::ReadingProgressWindow(QWidget& mainWindow, const QString& title, Text text,
                                             Cancel cancel)
    : QWidget(&mainWindow,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  (cancel == Cancel::Offered ? Qt::WindowCloseButtonHint : Qt::WindowType(0))),
      mainWindow_(mainWindow), text_(text), label_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    bar_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    if (cancel == Cancel::Offered) {
        auto* buttons = new QDialogButtonBox(this);
        cancel_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
        cancel_->setAutoDefault(false);
        layout->addWidget(buttons);
        connect(cancel_, &QPushButton::clicked, this, &ReadingProgressWindow::cancelRequested);
    }
    // Sized for the longest line it will show, so that the window does not grow as it counts.
    label_->setText(text_(888888, 888888));
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
    setProgress(0, 0);
}

QString ReadingProgressWindow::text(int done, int total) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("Reading submission files: %1 of %2")
        .arg(english.toString(done), english.toString(total));
}

QString ReadingProgressWindow::recordsText(int done, int total) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("Reading records: %1 of %2")
        .arg(english.toString(done), english.toString(total));
}

QString ReadingProgressWindow::exportText(int done, int total) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("Exporting records: %1 of %2")
        .arg(english.toString(done), english.toString(total));
}

QString ReadingProgressWindow::printText(int done, int total) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("Printing page %1 of %2")
        .arg(english.toString(done), english.toString(total));
}

void ReadingProgressWindow::setProgress(int done, int total) {
    label_->setText(text_(done, total));
    // No files listed yet: the bar moves to and fro.
    bar_->setRange(0, total);
    bar_->setValue(done);
}

void ReadingProgressWindow::open() {
    const QRect over = mainWindow_.frameGeometry();
    move(over.center() - rect().center());
    show();
}

void ReadingProgressWindow::finish() {
    const bool wasActive = isActiveWindow();
    finishing_ = true;
    close();
    finishing_ = false;
    if (wasActive)
        mainWindow_.activateWindow();
}

void ReadingProgressWindow::closeEvent(QCloseEvent* event) {
    if (finishing_)
        return;
    // The wait ends only when its caller is done with it.
    event->ignore();
    if (cancel_)
        emit cancelRequested();
}

void ReadingProgressWindow::keyPressEvent(QKeyEvent* event) {
    if (cancel_ && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        emit cancelRequested();
    else
        QWidget::keyPressEvent(event);
}
