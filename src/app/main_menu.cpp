#include "app/main_menu.h"

#include <array>

namespace tramond {

namespace {

using K = ItemKind;
constexpr unsigned H = kHiddenAtStart;
constexpr unsigned P = kRequiresProgram;
constexpr unsigned C = kSetupCount;
constexpr unsigned O = kOwnHandler;

constexpr MenuItemDef kMenu[] = {
    // File
    {"mFile", "", K::Menu, 650, "", "", kEditMenuLocked},
    {"mFileLoadDisk", "mFile", K::Item, 10, "mFileLoadDiskClick", "SBLoadFromDiskClick", O},
    {"mFileLoadRegister", "mFile", K::Item, 11, "mFileLoadRegisterClick", "SBLoadfromRegClick"},
    {"mFileUpdateRegister", "mFile", K::Item, 12, "mFileUpdateRegisterClick", "SBUpdateRegClick"},
    {"mVerifyRegister", "mFile", K::Item, -1, "mVerifyRegisterClick", "", P, "&Verify Register"},
    {"mInstallRegister", "mFile", K::Item, 820, "mInstallRegisterClick", "SBInst1Click"},
    {"mFileInstallRegister", "mFile", K::Item, 13, "mFileInstallRegisterClick", "SBInstallRegClick"},
    {"mClearPluFileinRegister", "mFile", K::Item, 816, "mClearPluFileinRegisterClick", ""},
    {"N1", "mFile", K::Separator, -1, "", ""},
    {"mFileCreateProgram", "mFile", K::Item, 14, "mFileCreateProgramClick", "SBCreateAppClick", O},
    {"mFileCopyTo", "mFile", K::Item, 15, "mFileCopyToClick", "SBCopyAppClick", O | kCopyItem},
    {"mFileDelProgram", "mFile", K::Item, 16, "mFileDelProgramClick", "SBDelAppClick", O},
    {"mComparePrograms", "mFile", K::Item, -1, "mCompareProgramsClick", "", 0, "Co&mpare Programs..."},
    {"mProgramHistory", "mFile", K::Item, -1, "mProgramHistoryClick", "", P, "Program &History..."},
    {"N2", "mFile", K::Separator, -1, "", "", H},
    {"mReadReport", "mFile", K::Item, 1066, "mReadReportClick", "", H | kNoAction},
    {"mSendReport", "mFile", K::Item, 1067, "mSendReportClick", "", H | kNoAction},
    {"N3", "mFile", K::Separator, -1, "", ""},  // the history goes after this one
    {"FileExit", "mFile", K::Item, 7, "FileExitClick", "SBExitClick", O},

    // Edit
    {"mEdit", "", K::Menu, 651, "", ""},
    {"mEditCorrFile", "mEdit", K::Item, 22, "mEditCorrFileClick", "", P},
    {"mEditDiscFile", "mEdit", K::Item, 23, "mEditDiscFileClick", "", P},
    {"mEditDrawFile", "mEdit", K::Item, 24, "mEditDrawFileClick", "", P},
    {"mEditPoRaFile", "mEdit", K::Item, 25, "mEditPoRaFileClick", "", P},
    {"mEditTendFile", "mEdit", K::Item, 26, "mEditTendFileClick", "", P},
    {"mEditCurrFile", "mEdit", K::Item, 27, "mEditCurrFileClick", "", P},
    {"mEditTaxFile", "mEdit", K::Item, 28, "mEditTaxFileClick", "", P},
    {"mEditPBFuncFile", "mEdit", K::Item, 29, "mEditPBFuncFileClick", "", P},
    {"mEditPBInfoFile", "mEdit", K::Item, 30, "mEditPBInfoFileClick", "", P},
    {"mEditGroupFile", "mEdit", K::Item, 31, "mEditGroupFileClick", "", P},
    {"mEditDepartFile", "mEdit", K::Item, 32, "mEditDepartFileClick", "", P},
    {"mEditPLUFile", "mEdit", K::Item, 33, "mEditPLUFileClick", "", P},
    {"mEditClerkFile", "mEdit", K::Item, 34, "mEditClerkFileClick", "", P},
    {"mEditModFile", "mEdit", K::Item, 35, "mEditModFileClick", "", P},
    {"mEditSalPerFile", "mEdit", K::Item, 577, "mEditSalPerFileClick", "", P},
    {"mEditCondFile", "mEdit", K::Item, 1082, "mEditCondFileClick", "", P},
    {"mCustomerFile", "mEdit", K::Item, 1081, "mCustomerFileClick", "", P},
    {"mEditProgramText", "mEdit", K::Item, 1080, "mEditProgramTextClick", "", H | kNoAction},
    {"NCsv", "mEdit", K::Separator, -1, "", ""},
    {"mExportCsv", "mEdit", K::Item, -1, "mExportCsvClick", "", P, "&Export to CSV..."},
    {"mImportCsv", "mEdit", K::Item, -1, "mImportCsvClick", "", P, "Import from CS&V..."},

    // Setup
    {"mSetup", "", K::Menu, 1, "", "", kEditMenuLocked},
    {"Type1", "mSetup", K::Menu, 1062, "", "", H},
    {"Boran1", "Type1", K::Item, 1063, "Boran1Click", "", O},
    {"SystemReports1", "mSetup", K::Item, 36, "SystemReports1Click", "", P | C},
    {"Corrections1", "mSetup", K::Item, 37, "Corrections1Click", "", H | kNoAction},
    {"ForeignCurrency1", "mSetup", K::Item, 38, "ForeignCurrency1Click", "", H | kNoAction},
    {"Discounts1", "mSetup", K::Item, 39, "Discounts1Click", "", H | kNoAction},
    {"DrawerTotals1", "mSetup", K::Item, 40, "DrawerTotals1Click", "", H | kNoAction},
    {"PORA1", "mSetup", K::Item, 41, "PORA1Click", "", H | kNoAction},
    {"TenderFunctions1", "mSetup", K::Item, 42, "TenderFunctions1Click", "", H | kNoAction},
    {"Groups1", "mSetup", K::Item, 43, "Groups1Click", "", C},
    {"Departments1", "mSetup", K::Item, 44, "Departments1Click", "", C},
    {"PLU1", "mSetup", K::Item, 45, "PLUClick", "", C},
    {"PrevBalances1", "mSetup", K::Item, 46, "PrevBalances1Click", "", C},
    {"TaxTotals1", "mSetup", K::Item, 47, "TaxTotals1Click", "", H | kNoAction},
    {"mSetupClerks", "mSetup", K::Item, 48, "mSetupClerksClick", "", C},
    {"SalesPersons1", "mSetup", K::Item, 576, "SalesPersons1Click", "", C},
    {"Modifiers1", "mSetup", K::Item, 50, "Modifiers1Click", "", C},
    {"Condiments1", "mSetup", K::Item, 1060, "CondimentsClick", "", C},
    {"TimeZones1", "mSetup", K::Item, 49, "TimeZones1Click", "", H | kNoAction},
    {"FloatingClerks1", "mSetup", K::Item, 689, "FloatingClerks1Click", "", C},
    {"GraphickHeadLogo1", "mSetup", K::Item, 695, "GraphickHeadLogo1Click", "", C},
    {"IndividualKeyboards1", "mSetup", K::Item, 1061, "IndividualKeyboards1Click", "", C},
    {"IndividualPrinters1", "mSetup", K::Item, 826, "IndividualPrinters1Click", "", C},

    // Reports
    {"mReports", "", K::Menu, 3, "", ""},
    {"mUserReport1", "mReports", K::Item, kUserReportText, "mUserReport1Click", "", P},
    {"mUserReport2", "mReports", K::Item, kUserReportText, "mUserReport2Click", "", P},
    {"mUserReport3", "mReports", K::Item, kUserReportText, "mUserReport3Click", "", P},
    {"mUserReport4", "mReports", K::Item, kUserReportText, "mUserReport4Click", "", P},
    {"mUserReport5", "mReports", K::Item, kUserReportText, "mUserReport5Click", "", P},
    {"mUserReport6", "mReports", K::Item, kUserReportText, "mUserReport6Click", "", P},
    {"mUserReport7", "mReports", K::Item, kUserReportText, "mUserReport7Click", "", P},
    {"mUserReport8", "mReports", K::Item, kUserReportText, "mUserReport8Click", "", P},
    {"mUserReport9", "mReports", K::Item, kUserReportText, "mUserReport9Click", "", P},
    {"mGetPrintReport", "mReports", K::Item, 1065, "mGetPrintReportClick", "", H | kNoAction},

    // General
    {"mGeneral", "", K::Menu, 4, "", ""},
    {"mPrintOptions", "mGeneral", K::Item, 653, "mPrintOptionsClick", ""},
    {"mGeneralOptions", "mGeneral", K::Item, 654, "mGeneralOptionsClick", ""},
    {"mClerkOptions", "mGeneral", K::Item, 655, "mClerkOptionsClick", ""},
    {"mPBOptions", "mGeneral", K::Item, 656, "mPBOptionsClick", ""},
    {"mPLUOptions", "mGeneral", K::Item, 676, "mPLUOptionsClick", ""},
    {"mBarcodeOptions", "mGeneral", K::Item, 657, "mBarcodeOptionsClick", ""},
    {"mCardOptions", "mGeneral", K::Item, 1083, "mCardOptionsClick", ""},
    {"mReportOptions", "mGeneral", K::Item, 658, "mReportOptionsClick", ""},
    {"mHandheldOptions", "mGeneral", K::Item, 823, "mHandheldOptionsClick", ""},
    {"mTovikOptions", "mGeneral", K::Item, 1068, "mTovikOptionsClick", ""},
    {"mLogoOptions", "mGeneral", K::Item, 1084, "mLogoOptionsClick", ""},
    {"N4", "mGeneral", K::Separator, -1, "", ""},
    {"mLocation", "mGeneral", K::Item, 282, "mLocationClick", ""},
    {"mRegister", "mGeneral", K::Item, 283, "mRegisterClick", ""},
    {"mNetworkSize", "mGeneral", K::Item, 687, "mNetworkSizeClick", ""},
    {"N5", "mGeneral", K::Separator, -1, "", ""},
    {"mProgramText", "mGeneral", K::Menu, 1069, "", ""},
    {"mReceiptHeader1", "mProgramText", K::Item, 659, "mReceiptHeader1Click", "", P},
    {"mReceiptTrailer1", "mProgramText", K::Item, 660, "mReceiptTrailer1Click", "", P},
    {"mSlipHeader1", "mProgramText", K::Item, 661, "mSlipHeader1Click", "", P},
    {"mPBExtraTrailer1", "mProgramText", K::Item, 662, "mPBExtraTrailer1Click", "", P},
    {"mSpecialCaptions1", "mProgramText", K::Item, 663, "mSpecialCaptions1Click", "", P},
    {"mProgramCaptions1", "mProgramText", K::Item, 874, "mProgramCaptions1Click", "", P},
    {"mSystemMessages1", "mProgramText", K::Item, 664, "mSystemMessages1Click", "", P},
    {"mDayDescriptors1", "mProgramText", K::Item, 665, "mDayDescriptors1Click", "", P},
    {"mMonthDescriptors1", "mProgramText", K::Item, 666, "mMonthDescriptors1Click", "", P},
    {"mReportNames1", "mProgramText", K::Item, 667, "mReportNames1Click", "", P},
    {"N6", "mGeneral", K::Separator, -1, "", ""},
    {"mCountryInfo", "mGeneral", K::Item, 286, "mCountryInfoClick", ""},
    {"mPrinters", "mGeneral", K::Item, 287, "mPrintersClick", ""},
    {"mTimeZones", "mGeneral", K::Item, 288, "mTimeZonesClick", ""},
    {"mSerialPorts", "mGeneral", K::Item, 289, "mSerialPortsClick", ""},

    // Keyboard
    {"mKeyboard", "", K::Menu, 5, "", ""},
    {"mRegisterKeyboard", "mKeyboard", K::Item, 18, "mRegisterKeyboardClick", "", P},
    {"mSystemKeyboard", "mKeyboard", K::Item, 19, "mSystemKeyboardClick", "", P},
    {"mTovikKeyboard", "mKeyboard", K::Item, 1070, "mTovikKeyboardClick", "", P},

    // Tools
    {"mTools", "", K::Menu, 8, "", ""},
    {"mPrint", "mTools", K::Item, 1071, "mPrintClick", ""},
    {"mSharedPbInfoFile", "mTools", K::Item, 1072, "mSharedPbInfoFileClick", "", P | kProgramTitledError},
    {"mSendOSToTovik", "mTools", K::Item, 1073, "mSendOSToTovikClick", ""},
    {"mSendMail", "mTools", K::Item, 1074, "mSendMailClick", ""},
    {"mEuroConversion", "mTools", K::Item, 1075, "mEuroConversionClick", "", H | kNoAction},

    // Options
    {"mOptions", "", K::Menu, 6, "", ""},
    {"mCommunicationSettings", "mOptions", K::Item, 1076, "mCommunicationSettingsClick", ""},
    {"mParallelPrinterSettings", "mOptions", K::Item, 1077, "mParallelPrinterSettingsClick", ""},

    // Help
    {"mHelp", "", K::Menu, 9, "", ""},
    {"Contents", "mHelp", K::Item, 1078, "ContentsClick", "", O},
    {"mDistributorHomePage", "mHelp", K::Item, 907, "mDistributorHomePageClick", "", O},
    {"About", "mHelp", K::Item, 1079, "AboutClick", "", O},
};

constexpr std::string_view kToolBar[] = {
    "mFileLoadDisk",      "mFileLoadRegister",  "mFileUpdateRegister",
    "mInstallRegister",   "mFileInstallRegister", "mFileCreateProgram",
    "mFileCopyTo",        "mFileDelProgram",    "FileExit",
};

constexpr EditGuardDef kEditGuards[] = {
    {"mEditCorrFileClick", RecordKind::Correction},
    {"mEditDiscFileClick", RecordKind::Discount},
    {"mEditDrawFileClick", RecordKind::Drawer},
    {"mEditPoRaFileClick", RecordKind::PoRa},
    {"mEditTendFileClick", RecordKind::Tender},
    {"mEditCurrFileClick", RecordKind::Currency},
    {"mEditTaxFileClick", RecordKind::Tax},
    {"mEditPBFuncFileClick", RecordKind::PbFunction, EditRequirement::PbFunctions},
    {"mEditPBInfoFileClick", RecordKind::PbInfo, EditRequirement::PbInfo},
    {"mEditGroupFileClick", RecordKind::Group},
    {"mEditDepartFileClick", RecordKind::Department},
    {"mEditPLUFileClick", RecordKind::Plu},
    {"mEditClerkFileClick", RecordKind::Clerk},
    {"mEditModFileClick", RecordKind::Modifier},
    {"mEditSalPerFileClick", RecordKind::Salesperson, EditRequirement::Count, false},
    {"mEditCondFileClick", RecordKind::Condiment, EditRequirement::Count, false},
};

constexpr SetupCountDef kSetupCounts[] = {
    {"SystemReports1", SetupValue::SystemReports},
    {"Groups1", SetupValue::RecordCount, RecordKind::Group},
    {"Departments1", SetupValue::RecordCount, RecordKind::Department},
    {"PLU1", SetupValue::RecordCount, RecordKind::Plu},
    {"PrevBalances1", SetupValue::RecordCount, RecordKind::PbInfo},
    {"mSetupClerks", SetupValue::RecordCount, RecordKind::Clerk},
    {"SalesPersons1", SetupValue::RecordCount, RecordKind::Salesperson},
    {"Modifiers1", SetupValue::RecordCount, RecordKind::Modifier},
    {"Condiments1", SetupValue::RecordCount, RecordKind::Condiment},
    {"FloatingClerks1", SetupValue::FloatingClerks},
    {"GraphickHeadLogo1", SetupValue::GraphicLogo},
    {"IndividualKeyboards1", SetupValue::IndividualKeyboards},
    {"IndividualPrinters1", SetupValue::IndividualPrinters},
};

}  // namespace

std::span<const MenuItemDef> mainMenu() { return kMenu; }

const MenuItemDef* findMenuItem(std::string_view name) {
    for (const auto& item : kMenu)
        if (item.name == name) return &item;
    return nullptr;
}

const MenuItemDef* findMenuItemByHandler(std::string_view handler) {
    if (handler.empty()) return nullptr;
    for (const auto& item : kMenu)
        if (item.handler == handler || item.toolHandler == handler) return &item;
    return nullptr;
}

std::span<const std::string_view> toolBarItems() { return kToolBar; }

std::span<const EditGuardDef> editGuards() { return kEditGuards; }

const EditGuardDef* findEditGuard(std::string_view handler) {
    for (const auto& g : kEditGuards)
        if (g.handler == handler) return &g;
    return nullptr;
}

std::span<const SetupCountDef> setupCounts() { return kSetupCounts; }

}  // namespace tramond
