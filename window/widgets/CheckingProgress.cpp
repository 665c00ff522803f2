#include "window/widgets/CheckingProgress.h"

#include "window/services/Clock.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// A window without a close button that ignores every attempt to close it: it goes when the
// pass is over.
class ProgressWindow : public QWidget {
public:
    explicit ProgressWindow(QWidget* parent)
        : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {}
    bool closing = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!closing)
            event->ignore();
    }
};

} // namespace

CheckingProgress::CheckingProgress(QWidget& window, const Clock& clock)
    : window_(window), clock_(clock) {}

QString CheckingProgress::text(int record, int total) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    return QStringLiteral("Checking record %1 of %2")
        .arg(english.toString(record), english.toString(total));
}

void CheckingProgress::begin(int total) {
    total_ = total;
    started_ = clock_.now();
    running_ = true;
}

void CheckingProgress::advance(int record) {
    if (!running_)
        return;
    const QDateTime now = clock_.now();
    if (!isShown()) {
        if (started_.msecsTo(now) >= ShowAfterMs)
            show(record);
    } else if (lastRepaint_.msecsTo(now) >= RepaintEveryMs) {
        repaint(record);
    }
}

void CheckingProgress::end() {
    running_ = false;
    if (!isShown())
        return;
    auto* display = static_cast<ProgressWindow*>(display_.data());
    const bool wasActive = display->isActiveWindow();
    display->closing = true;
    display->close();
    display->closing = false;
    // The main window takes the keyboard again, for the message or the field that follows.
    if (wasActive)
        window_.activateWindow();
}

bool CheckingProgress::isShown() const {
    return display_ && display_->isVisible();
}

void CheckingProgress::show(int record) {
    if (!display_) {
        auto* display = new ProgressWindow(&window_);
        display->setWindowTitle(QStringLiteral("Create Electronic File"));
        display->setWindowModality(Qt::ApplicationModal);
        label_ = new QLabel(display);
        bar_ = new QProgressBar(display);
        bar_->setTextVisible(false);
        auto* layout = new QVBoxLayout(display);
        layout->addWidget(label_);
        layout->addWidget(bar_);
        label_->setText(text(total_, total_));
        display->setFixedSize(display->sizeHint().expandedTo(QSize(260, 0)));
        display_ = display;
    }
    bar_->setRange(0, total_);
    const QRect over = window_.frameGeometry();
    display_->move(over.center() - display_->rect().center());
    display_->show();
    repaint(record);
}

void CheckingProgress::repaint(int record) {
    label_->setText(text(record, total_));
    bar_->setValue(record);
    display_->repaint();
    // Lets the window be drawn and shown; input meant for the main window is refused while the
    // modal window is up, and the window itself cannot be closed.
    QCoreApplication::processEvents();
    lastRepaint_ = clock_.now();
}
