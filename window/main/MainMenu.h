#pragma once

#include <QObject>

class QAction;
class QMenuBar;
class QWidget;
class frmKorvanel;

// The main window's menu bar: Records, Submissions and Help. The items that move to another
// record follow navigationButton (cmdNext): they are disabled while it is, which is while a new
// record is being entered. New Result for This Child follows newRecordButton (cmdNew) exactly.
// Items without a command yet are there, disabled.
class MainMenu : public QObject {
    Q_OBJECT
public:
    MainMenu(frmKorvanel& window, QWidget& navigationButton, QWidget& newRecordButton);

    QMenuBar* bar() const { return bar_; }
    QAction* findRecord() const { return findRecord_; }
    QAction* checkAllRecords() const { return checkAllRecords_; }
    QAction* importRecords() const { return importRecords_; }
    QAction* followUpDue() const { return followUpDue_; }
    QAction* newResultForThisChild() const { return newResultForThisChild_; }
    QAction* exportRecords() const { return exportRecords_; }
    QAction* submissionHistory() const { return submissionHistory_; }
    QAction* operatorsGuide() const { return operatorsGuide_; }
    QAction* about() const { return about_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followNavigation();
    bool isMenuShortcut(QEvent* event) const;

    QWidget& navigationButton_;
    QWidget& newRecordButton_;
    QMenuBar* bar_ = nullptr;
    QAction* findRecord_ = nullptr;
    QAction* checkAllRecords_ = nullptr;
    QAction* importRecords_ = nullptr;
    QAction* followUpDue_ = nullptr;
    QAction* newResultForThisChild_ = nullptr;
    QAction* exportRecords_ = nullptr;
    QAction* submissionHistory_ = nullptr;
    QAction* operatorsGuide_ = nullptr;
    QAction* about_ = nullptr;
};
