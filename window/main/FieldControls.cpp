#include "window/main/FieldControls.h"

#include "ui_frmKorvanel.h"

QWidget* FieldControls::controlFor(Ui::frmKorvanel& form, ResultRecord::Field field) {
    // Every field is listed and there is no default, so a field added to the record without a
    // decision here is a build warning (an error in this build).
    switch (field) {
    case ResultRecord::DateTaken:
        return form.mskDateTaken;
    case ResultRecord::LastName:
        return form.txtLastName;
    case ResultRecord::FirstName:
        return form.txtFirstName;
    case ResultRecord::MiddleInitial:
        return form.txtMiddleInitial;
    case ResultRecord::DateOfBirth:
        return form.mskDateOfBirth;
    case ResultRecord::StreetNumber:
        return form.txtStreetNumber;
    case ResultRecord::StreetName:
        return form.txtStreetName;
    case ResultRecord::AptNumber:
        return form.txtAptNumber;
    case ResultRecord::City:
        return form.cboCity;
    case ResultRecord::Zip:
        return form.cboZip;
    case ResultRecord::ParentsFirst:
        return form.txtParentsFirst;
    case ResultRecord::ParentsLast:
        return form.txtParentsLast;
    case ResultRecord::PhoneAreaCode:
    case ResultRecord::PhoneNumber:
        return form.mskPhone;
    case ResultRecord::RaceCode:
        return form.cboRaceCode;
    case ResultRecord::Ancestry:
        return form.cboAncestry;
    case ResultRecord::AnalysisDate:
        return form.mskAnalysisDate;
    case ResultRecord::PbResult:
        return form.txtPb;
    case ResultRecord::ProviderCode:
        return form.txtProviderCode;
    case ResultRecord::Physician:
        return form.cboPhysician;
    case ResultRecord::AnalysisMethod:
        return form.txtAnalysisMethod;
    case ResultRecord::Sex:
    case ResultRecord::BelowDetection:
    case ResultRecord::TestType:
    case ResultRecord::LineEnd:
    case ResultRecord::FieldCount:
        return nullptr;
    }
    return nullptr;
}
