#include "window/services/MessageService.h"

#include "storage/FileStatus.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProxyStyle>

namespace {

// The warning sign of the boxes, 32 by 32 like the toolkit's own.
QPixmap warningPicture(qreal pixelRatio) {
    const int side = 32;
    QPixmap picture(QSize(side, side) * pixelRatio);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(16, 2.5);
    triangle.lineTo(30, 28.5);
    triangle.lineTo(2, 28.5);
    triangle.closeSubpath();
    painter.setPen(QPen(QColor(110, 80, 0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(252, 200, 20));
    painter.drawPath(triangle);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.5, 1.5);
    painter.drawEllipse(QRectF(14.5, 23, 3, 3));
    return picture;
}

// The program's style with the warning sign drawn above and no pictures on the buttons. The
// toolkit looks its own pictures up in the desktop's icon theme first, reading the theme's whole
// index at the first look-up (some 20 ms), and reads the button pictures through every image
// plugin installed; the first box can come before the main window.
class BoxStyle : public QProxyStyle {
public:
    explicit BoxStyle(qreal pixelRatio)
        : QProxyStyle(QApplication::style()->name()), pixelRatio_(pixelRatio) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_MessageBoxWarning)
            return QIcon(warningPicture(pixelRatio_));
        return QProxyStyle::standardIcon(which, option, widget);
    }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    qreal pixelRatio_;
};

} // namespace

MessageAnswer QtMessageService::show(const QString& text, const QString& title,
                                     MessageButtons buttons, MessageIcon icon) {
    // Outlives the box, which uses it.
    BoxStyle style(window_ ? window_->devicePixelRatio() : qApp->devicePixelRatio());
    QMessageBox box(window_);
    // Given to the box's parts too (its button row makes the buttons): a style is not inherited.
    box.setStyle(&style);
    for (QWidget* part : box.findChildren<QWidget*>())
        part->setStyle(&style);
    box.setWindowTitle(title);
    // Plain text, so that no message is taken for markup; a "\r" would show as a second break.
    box.setTextFormat(Qt::PlainText);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void QtMessageService::beep() {
    QApplication::beep();
}

void showCannotStart(MessageService& messages, const FileStatus& failure) {
    const QString advice = failure.advice();
    messages.show(QStringLiteral("The program cannot start:\r\n%1\r\n%2%3")
                      .arg(QDir::toNativeSeparators(failure.path()), failure.reason(),
                           advice.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + advice),
                  QStringLiteral("File Error"), MessageButtons::Ok, MessageIcon::Warning);
}
