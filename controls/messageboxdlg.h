#pragma once
// TMessageBoxDlg: a non-visual component that shows a modal message window
// built at run time: the icon of the message kind, the message text and a row
// of buttons, titled with CaptionTitle or the application's name.
//
// Sizes (BoxWidth, BoxHeight and the computed ones) are outer sizes of the
// framed window, as the window manager draws it; the client area is what
// remains after the frame, measured once the window is shown. Without a
// window manager (offscreen, bare X) the two are the same. The title bar
// belongs to the window manager, so CaptionFont and CaptionAlignment are kept
// but cannot be applied.

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPixmap>
#include <QStringList>
#include <functional>
#include <optional>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons in creation (and layout) order.
enum TMsgDlgBtn {
    mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8, mbAbort = 0x10, mbRetry = 0x20, mbIgnore = 0x40,
    mbAll = 0x80, mbHelp = 0x100
};
Q_DECLARE_FLAGS(TMsgDlgButtons, TMsgDlgBtn)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMsgDlgButtons)

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                    mrNo = 7, mrAll = 8 };

enum class TBoxPosition {
    bpCustom, bpTopLeft, bpTopCenter, bpTopRight, bpCenterLeft, bpCenter, bpCenterRight, bpBottomLeft,
    bpBottomCenter, bpBottomRight
};
enum class TBoxRelatePos { brScreen, brScreenWorkArea, brMainForm, brActiveWindow };

class QWidget;

class TMessageBoxDlg : public QObject
{
    Q_OBJECT
public:
    explicit TMessageBoxDlg(QObject *owner = nullptr);
    ~TMessageBoxDlg() override;

    TMsgDlgType DlgType = TMsgDlgType::mtCustom;
    TMsgDlgButtons Buttons = mbOK;
    QString CaptionTitle;
    Qt::Alignment CaptionAlignment = Qt::AlignLeft;
    Qt::Alignment MessageAlignment = Qt::AlignLeft;
    QFont MessageFont, CaptionFont, ButtonFont;
    int BoxWidth = 0, BoxHeight = 0;
    int BoxLeft = 0, BoxTop = 0;
    TBoxPosition Position = TBoxPosition::bpCenter;
    TBoxRelatePos RelatePos = TBoxRelatePos::brScreen;
    QColor Color;                     // invalid: the button face colour
    QStringList ButtonTitles;         // replaces captions in creation order
    QStringList Hints;                // entry 0 the message's, entry k + 1 the k-th button's
    bool ShowHints = false;
    bool ShowAgainBox = false;
    bool ShowAgain = true;            // the "Don't show again" box is ticked when this is off
    bool CaptionFill = false;
    bool PlayWave = false;            // no sounds on this platform; kept for the form's sake
    int WaveIndex = -1;
    bool CustomGlyph = false;
    QPixmap CustomGlyphImage;

    std::function<void(TMessageBoxDlg *sender)> OnHelpClick;

    // Shows the text with DlgType and an OK button; always 1.
    int ShowMessageText(const QString &text);
    // The pressed button's result, or 2 when the window is closed from its title
    // bar. No kind: DlgType; an empty set: Buttons.
    int ShowMessageAsk(const QString &text, std::optional<TMsgDlgType> kind = std::nullopt, int defaultButton = 0,
                       TMsgDlgButtons buttons = {});

    // The message text is a format pattern without arguments: "%%" is "%", and
    // a lone "%" raises EConvertError as the formatter would.
    static QString formatPattern(const QString &pattern);

private:
    int execute(const QString &text, TMsgDlgType kind, int defaultButton, TMsgDlgButtons buttons);
    QWidget *mainWindow() const;
};
