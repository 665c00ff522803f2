#pragma once

#include <QDialog>

class QTextBrowser;

// "Operator's Guide": the guide compiled into the program (docs/operator-guide.md and its
// pictures), shown in a window of its own beside the main window. Esc closes it.
class OperatorsGuideWindow : public QDialog {
    Q_OBJECT
public:
    explicit OperatorsGuideWindow(QWidget* parent = nullptr);

    // Where the guide lives among the program's resources; its pictures lie beside it.
    static QUrl guideUrl();

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
};
