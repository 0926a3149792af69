#pragma once
// TFormPlacement: keeps its owner window's placement, and the layouts of the
// components linked to it, in an INI file.
//
// RestoreSettings() reads them back, StoreSettings() writes them; each
// operation opens the file once, offers it to the links and commits it once
// at its end. A save of an active storage is refused until a restore has run,
// so a window never overwrites settings it has not read.
//
// Window events. The storage watches its owner: before the window's own
// showEvent() runs it restores. Qt shows a close to event filters before the
// window's closeEvent() and has no hook before a window's children go, so a
// window that needs the exact order (its own close-query first, then the
// save; the save on destroy while the children still exist) calls
// SetWindowCallsStorage(true), FormCloseQuery() at the end of its closeEvent()
// and FormDestroy() first thing in its destructor. Otherwise the storage saves
// when the close reaches it, and on destroy from its own destructor. Errors in
// these saves and restores go to the error display and never stop the window.

#include "core/exceptions.h"
#include "settings/windowplacement.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class TIniFile;
class TIniLink;

// Size limits of the window; a non-zero entry replaces the window's own.
// Qt decides the maximized position and size itself, so only the track sizes
// take effect, as limits of the client area.
struct TWinMinMaxInfo
{
    int MaxPosLeft = 0;
    int MaxPosTop = 0;
    int MaxSizeWidth = 0;
    int MaxSizeHeight = 0;
    int MaxTrackWidth = 0;
    int MaxTrackHeight = 0;
    int MinTrackWidth = 0;
    int MinTrackHeight = 0;

    bool DefaultMinMaxInfo() const;
    bool operator==(const TWinMinMaxInfo &) const = default;
};

class TFormPlacement : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QString IniFileName READ IniFileName WRITE SetIniFileName)
    Q_PROPERTY(QString IniSection READ IniSection WRITE SetIniSection)
    Q_PROPERTY(int Version READ Version WRITE SetVersion)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE SetPreventResize)

public:
    enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    using TNotifyEvent = std::function<void(QObject *Sender)>;

    explicit TFormPlacement(QObject *AOwner);
    ~TFormPlacement() override;

    bool Active() const { return m_active; }
    void SetActive(bool value) { m_active = value; }
    // The file as set; FileName() is the one in use.
    const QString &IniFileName() const { return m_iniFileName; }
    void SetIniFileName(const QString &value) { m_iniFileName = value; }
    // The executable's path with the extension ".INI".
    static QString DefaultIniFileName();
    QString FileName() const;
    // The section as set; PlacementSection() is the one in use.
    const QString &IniSection() const { return m_iniSection; }
    void SetIniSection(const QString &value) { m_iniSection = value; }
    QString PlacementSection() const;
    // IniSection followed by "\", or nothing when IniSection is empty.
    QString RootSection() const;
    TPlacementOptions Options() const { return m_options; }
    void SetOptions(TPlacementOptions value) { m_options = value; }
    int Version() const { return m_version; }
    void SetVersion(int value) { m_version = value; }
    const TWinMinMaxInfo &MinMaxInfo() const { return m_minMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo &value);
    bool PreventResize() const { return m_preventResize; }
    void SetPreventResize(bool value);

    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    void RestoreSettings();
    void StoreSettings();

    bool IsRestored() const { return m_restored; }
    bool IsSaved() const { return m_saved; }
    bool Destroying() const { return m_destroying; }
    // The INI object of the running restore or save, or null.
    TIniFile *IniFile() const { return m_iniFile.get(); }

    // One value in the placement section, through the open INI object, or
    // through one opened and committed for this call alone.
    QString ReadString(const QString &Ident, const QString &Default);
    void WriteString(const QString &Ident, const QString &Value);
    int ReadInteger(const QString &Ident, int Default);
    void WriteInteger(const QString &Ident, int Value);

    // The window's show, close-query and destroy handling (see above).
    void SetWindowCallsStorage(bool value) { m_windowCallsStorage = value; }
    bool WindowCallsStorage() const { return m_windowCallsStorage; }
    void FormShow();
    void FormCloseQuery(bool CanClose);
    void FormDestroy();

    // Where errors of the event-driven saves and restores are shown. The
    // application points this at its own error display; the default prints
    // a warning. EAbort is never shown.
    using TErrorDisplay = std::function<void(const Exception &)>;
    static void SetErrorDisplay(TErrorDisplay display);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *OwnerWindow() const;
    // Stored properties and values, for TFormStorage.
    virtual void SaveStoredValues(TIniFile &ini);
    virtual void RestoreStoredValues(TIniFile &ini);
    // The destroy save of a storage that goes with its window; each class
    // calls it from its own destructor, so its overrides still run.
    void SaveOnDestroy();

private:
    friend class TIniLink;
    class TIniOperation;

    void addLink(TIniLink *link);
    void removeLink(TIniLink *link);
    void notifyLinks(bool save);
    void rememberOwnerClass();
    void restorePlacement(TIniFile &ini, bool position, bool state);
    void savePlacement(TIniFile &ini);
    void applyNormalFrame(QWidget *window, const QRect &frame);
    void finishPendingFrame();
    QRect normalFrame(const QWidget *window) const;
    void applySizeLimits();
    void guarded(const std::function<void()> &action);

    bool m_active = true;
    QString m_iniFileName;
    QString m_iniSection;
    TPlacementOptions m_options;
    int m_version = 0;
    TWinMinMaxInfo m_minMaxInfo;
    bool m_preventResize = false;

    bool m_restored = false;
    bool m_saved = false;
    bool m_destroying = false;
    bool m_windowCallsStorage = false;
    std::unique_ptr<TIniFile> m_iniFile;
    QList<TIniLink *> m_links;
    const QMetaObject *m_ownerMeta = nullptr;
    QString m_ownerClass;
    bool m_destroyHandled = false;

    // Before a window is first framed Qt does not know the size of its frame:
    // the stored frame is applied with a guessed frame of nothing and
    // corrected once the real frame is known. Until then a save writes the
    // stored frame back as long as the window kept the geometry it was given.
    // A window maximized before it was ever framed keeps its designed place:
    // then the pending rectangle holds the frame position and client size.
    QRect m_pendingFrame;
    bool m_pendingSizeIsClient = false;
    QRect m_appliedClient;

    // The window's own size limits, while the storage overrides them.
    bool m_ownLimitsSaved = false;
    QSize m_ownMinimum;
    QSize m_ownMaximum;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)
