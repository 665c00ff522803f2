#include "window/main/MainMenu.h"

#include "window/main/frmKorvanel.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

MainMenu::MainMenu(frmKorvanel& window, QWidget& navigationButton, QWidget& newRecordButton)
    : QObject(&window), navigationButton_(navigationButton), newRecordButton_(newRecordButton) {
    bar_ = new QMenuBar;
    bar_->setAccessibleName(QStringLiteral("Menu Bar"));
    QMenu* records = bar_->addMenu(QStringLiteral("&Records"));
    findRecord_ = records->addAction(QStringLiteral("&Find Record..."));
    findRecord_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    checkAllRecords_ = records->addAction(QStringLiteral("&Check All Records..."));
    checkAllRecords_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    followUpDue_ = records->addAction(QStringLiteral("Follow-Up &Due"));
    followUpDue_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    records->addSeparator();
    newResultForThisChild_ = records->addAction(QStringLiteral("&New Result for This Child"));
    newResultForThisChild_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    records->addSeparator();
    importRecords_ = records->addAction(QStringLiteral("&Import Records..."));
    importRecords_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    exportRecords_ = records->addAction(QStringLiteral("&Export Records to CSV..."));
    QMenu* submissions = bar_->addMenu(QStringLiteral("&Submissions"));
    submissionHistory_ = submissions->addAction(QStringLiteral("Submission &History..."));
    QMenu* help = bar_->addMenu(QStringLiteral("&Help"));
    operatorsGuide_ = help->addAction(QStringLiteral("&Operator's Guide"));
    operatorsGuide_->setShortcut(QKeySequence(Qt::Key_F1));
    about_ = help->addAction(QStringLiteral("&About Korvanel"));
    window.installMenuBar(bar_);

    navigationButton_.installEventFilter(this);
    newRecordButton_.installEventFilter(this);
    // A text box takes Ctrl+K for itself (delete to the end of the line); the menu's keys win.
    for (QLineEdit* edit : window.findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    followNavigation();
}

void MainMenu::followNavigation() {
    const bool canMove = navigationButton_.isEnabled();
    findRecord_->setEnabled(canMove);
    checkAllRecords_->setEnabled(canMove);
    importRecords_->setEnabled(canMove);
    followUpDue_->setEnabled(canMove);
    newResultForThisChild_->setEnabled(newRecordButton_.isEnabled());
}

bool MainMenu::isMenuShortcut(QEvent* event) const {
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (QAction* action : {findRecord_, checkAllRecords_, followUpDue_, newResultForThisChild_,
                            importRecords_, operatorsGuide_}) {
        if (action->isEnabled() && action->shortcut() == pressed)
            return true;
    }
    return false;
}

bool MainMenu::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == &navigationButton_ || watched == &newRecordButton_) &&
        event->type() == QEvent::EnabledChange)
        followNavigation();
    // Left unaccepted, the key goes to the menu's shortcut instead of the text box.
    if (event->type() == QEvent::ShortcutOverride && isMenuShortcut(event))
        return true;
    return QObject::eventFilter(watched, event);
}
