#pragma once

// The object names of the main window's widgets and commands: what tests, benchmarks and
// tools look them up by. Each is given once, here.
namespace corvane::objectName {

inline constexpr char kMainWindow[] = "FrmPRinc";

inline constexpr char kText[] = "TxtTexte";
inline constexpr char kProgramName[] = "txtNomprog";
inline constexpr char kCalculatorFileName[] = "TxtNomFic";
inline constexpr char kScreenCount[] = "TxtNbEcran";
inline constexpr char kTextSize[] = "TxtTailleTexte";
inline constexpr char kProgramSize[] = "txtTailleFichier";
inline constexpr char kStatusLine[] = "lblStatus";

inline constexpr char kScreenCountLabel[] = "Label1";
inline constexpr char kTextSizeLabel[] = "Label2";
inline constexpr char kProgramSizeLabel[] = "Label3";
inline constexpr char kProgramNameLabel[] = "Label4";
inline constexpr char kCalculatorFileNameLabel[] = "Label5";

inline constexpr char kFileMenu[] = "MnuFichier";
inline constexpr char kNewAction[] = "MnuNouveau";
inline constexpr char kOpenAction[] = "MunOuvrir";
inline constexpr char kImportAction[] = "MnuImporter";
inline constexpr char kSaveAction[] = "MnuEnregistrer";
inline constexpr char kSaveAsAction[] = "MnuEnregistrerSous";
inline constexpr char kQuitAction[] = "MnuQuitter";
inline constexpr char kNewSeparator[] = "mnusep2";
inline constexpr char kSaveSeparator[] = "mnusep3";
inline constexpr char kQuitSeparator[] = "mnusep1";

inline constexpr char kCompileMenu[] = "MunCompiller";
inline constexpr char kCompileAction[] = "MunCompillerIon";
inline constexpr char kCompileBasicAction[] = "compileBasicAction";
inline constexpr char kCompileReaderAction[] = "mnuCompileReader";
inline constexpr char kPreviewAction[] = "MnuPreview";
inline constexpr char kSendAction[] = "mnuSendToCalculator";
inline constexpr char kSendFileAction[] = "mnuSendFile";

inline constexpr char kHelpMenu[] = "Mnuaide";
inline constexpr char kAboutAction[] = "MunAproposde";

// The About window.
inline constexpr char kAboutWindow[] = "frmAbout";
inline constexpr char kAboutIcon[] = "picIcon";
inline constexpr char kAboutTitle[] = "lblTitle";
inline constexpr char kAboutVersion[] = "lblVersion";
inline constexpr char kAboutSite[] = "txtsite";
inline constexpr char kAboutMail[] = "TxtMail";
inline constexpr char kAboutIcq[] = "TxtIcq";
inline constexpr char kAboutOk[] = "cmdOK";

} // namespace corvane::objectName
