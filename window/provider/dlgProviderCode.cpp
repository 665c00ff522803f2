#include "window/provider/dlgProviderCode.h"

#include "ui_dlgProviderCode.h"
#include "window/widgets/MaskedEdit.h"
#include "window/widgets/WindowLook.h"

#include <QKeyEvent>
#include <QPushButton>

dlgProviderCode::dlgProviderCode(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::dlgProviderCode>()) {
    ui_->setupUi(this);
    // A dialog of the main window (kept out of the task bar), fixed border, no minimize or
    // maximize button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(programIcon());
    setFont(layoutFont());
    setSizeGripEnabled(false);
    connect(ui_->OKButton, &QPushButton::clicked, this, &dlgProviderCode::OKButton_Click);
    connect(ui_->CancelButton, &QPushButton::clicked, this, &dlgProviderCode::CancelButton_Click);
}

bool dlgProviderCode::ShowDialog() {
    if (QWidget* main = parentWidget()) {
        // Centred by the inner areas: the dialog's frame is not known before it is shown, and
        // with the same frame around both windows this centres the frames as well.
        const QRect inner = main->geometry();
        setGeometry(QRect(QPoint(inner.left() + (inner.width() - width()) / 2,
                                 inner.top() + (inner.height() - height()) / 2),
                          size()));
    }
    ui_->mskProviderCode->setMaskPattern(MaskedEdit::ProviderCodeMask);
    ui_->mskProviderCode->setRawValue(enteredProviderCode_);
    cancelled_ = true;
    exec();
    return !cancelled_;
}

void dlgProviderCode::OKButton_Click() {
    cancelled_ = false;
    enteredProviderCode_ = ui_->mskProviderCode->rawValue();
    accept();
}

void dlgProviderCode::CancelButton_Click() {
    cancelled_ = true;
    enteredProviderCode_ = codeInForce_;
    reject();
}

dlgProviderCode::~dlgProviderCode() = default;

void dlgProviderCode::keyPressEvent(QKeyEvent* event) {
    // QDialog would reject on Esc; the dialog closes only through its buttons.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
