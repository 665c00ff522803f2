#include "window/main/ChildRetest.h"

#include "reference/CityList.h"
#include "ui_frmKorvanel.h"

#include <QComboBox>

void ChildRetest::offerZipCodes(Ui::frmKorvanel& c, const QStringList& cityZipLines) {
    const int city = c.cboCity->findText(c.cboCity->currentText(), Qt::MatchExactly);
    if (city < 0 || city >= cityZipLines.size())
        return;
    const QString zip = c.cboZip->currentText();
    // Against no current city the list is always rebuilt.
    const CityChoice choice = CityLookup::chooseCity(cityZipLines.at(city), QString());
    c.cboZip->clear();
    c.cboZip->addItems(choice.zipEntries);
    const int shown = c.cboZip->findText(zip, Qt::MatchExactly);
    if (shown >= 0) {
        c.cboZip->setCurrentIndex(shown);
    } else {
        c.cboZip->setCurrentIndex(-1);
        c.cboZip->setEditText(zip);
    }
}
