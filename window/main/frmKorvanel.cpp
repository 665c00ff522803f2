#include "window/main/frmKorvanel.h"

#include "ui_frmKorvanel.h"
#include "window/main/MainWindowController.h"
#include "window/widgets/EntryFilter.h"
#include "window/widgets/OptionGroup.h"
#include "window/widgets/WindowLook.h"

#include <QMenuBar>

frmKorvanel::frmKorvanel(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::frmKorvanel>()) {
    // Set before the controls are made, which then take it as they are built: set afterwards,
    // every control would lay its text out twice.
    setFont(layoutFont());
    ui_->setupUi(this);
    // Fixed border, title bar with the icon's menu and the close button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(programIcon());
    applyFixedColours();
    tabStopAtSelectedOption(*ui_->sexGroup);
    tabStopAtSelectedOption(*ui_->testTypeGroup);
    tabStopAtSelectedOption(*ui_->resultGroup);
    watchFieldEvents();
    filterTextEntry(this);
    nameListTextBoxes();
}

frmKorvanel::~frmKorvanel() = default;

std::unique_ptr<MainWindowController>
frmKorvanel::makeController(const QString& appPath, const MainWindowServices& services) {
    return std::make_unique<MainWindowController>(*this, *ui_, appPath, services);
}

void frmKorvanel::installMenuBar(QMenuBar* bar) {
    const QList<QWidget*> form = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    bar->setParent(this);
    const int height =
        bar->heightForWidth(width()) > 0 ? bar->heightForWidth(width()) : bar->sizeHint().height();
    for (QWidget* control : form)
        control->move(control->x(), control->y() + height);
    bar->setGeometry(0, 0, width(), height);
    setFixedSize(width(), this->height() + height);
    bar->show();
}

void frmKorvanel::nameListTextBoxes() {
    // The text box of an editable list holds the focus, so a screen reader names it: the list's
    // own name.
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        if (combo->lineEdit())
            combo->lineEdit()->setAccessibleName(combo->accessibleName());
    }
}

void frmKorvanel::applyFixedColours() {
    QPalette lastName = ui_->txtLastName->palette();
    lastName.setColor(QPalette::Base, QColor(255, 255, 255));
    ui_->txtLastName->setPalette(lastName);
    for (QWidget* blackText :
         {static_cast<QWidget*>(ui_->fraParents), static_cast<QWidget*>(ui_->lblParentsFirst)}) {
        QPalette palette = blackText->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
        blackText->setPalette(palette);
    }
}

void frmKorvanel::watchFieldEvents() {
    events_ = new FieldEvents(this);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (!qobject_cast<QComboBox*>(edit->parentWidget()))
            events_->watchLostFocus(edit);
    }
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        events_->watchLostFocus(combo);
        events_->watchComboClick(combo);
    }
    for (QRadioButton* option : findChildren<QRadioButton*>())
        events_->watchOptionClick(option);
    connect(events_, &FieldEvents::lostFocus, this, &frmKorvanel::lostFocus);
    connect(events_, &FieldEvents::optionClicked, this, &frmKorvanel::optionClicked);
    connect(events_, &FieldEvents::comboClicked, this, &frmKorvanel::comboClicked);
}
