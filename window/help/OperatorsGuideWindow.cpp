#include "window/help/OperatorsGuideWindow.h"

#include <QApplication>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

OperatorsGuideWindow::OperatorsGuideWindow(QWidget* parent) : QDialog(parent) {
    // The resources of a static library are not registered by themselves.
    Q_INIT_RESOURCE(operator_guide);
    setWindowTitle(QStringLiteral("Operator's Guide"));
    setModal(false);
    // Reading text wants the desktop's own font, not the small one of the fixed form.
    setFont(QApplication::font());
    // Wide enough for the widest picture of the guide (700 pixels) beside the scroll bar.
    resize(780, 640);

    browser_ = new QTextBrowser;
    browser_->setAccessibleName(QStringLiteral("Operator's Guide"));
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);
    browser_->setSource(guideUrl(), QTextDocument::MarkdownResource);

    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(close);
    layout->addLayout(buttonRow);
    browser_->setFocus();
}

QUrl OperatorsGuideWindow::guideUrl() {
    return QUrl(QStringLiteral("qrc:/korvanel/docs/operator-guide.md"));
}
