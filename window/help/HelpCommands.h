#pragma once

#include <QObject>
#include <QPointer>

class MessageService;
class OperatorsGuideWindow;
class QWidget;
class RecordStore;

// The Help menu: opens the operator's guide (one window, brought forward when already open) and
// tells what "About Korvanel" shows.
class HelpCommands : public QObject {
    Q_OBJECT
public:
    HelpCommands(QWidget& window, MessageService& messages, const QString& appPath,
                 const RecordStore& store, QObject* parent = nullptr);

    void openOperatorsGuide();
    void showAbout();

    // The text of "About Korvanel": records is the number in the data file, or the reason it
    // could not be counted.
    static QString aboutText(const QString& appPath, const QString& records);

    OperatorsGuideWindow* guideWindow() const;

private:
    QWidget& window_;
    MessageService& messages_;
    QString appPath_;
    const RecordStore& store_;
    QPointer<OperatorsGuideWindow> guide_;
};
