#include "settings/formplacement.h"

#include "settings/inifile.h"
#include "settings/inilink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

constexpr Qt::WindowStates ExtraStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

const QString KeyFormVersion = QStringLiteral("FormVersion");
const QString KeyFlags = QStringLiteral("Flags");
const QString KeyShowCmd = QStringLiteral("ShowCmd");
const QString KeyPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString KeyMinMaxPos = QStringLiteral("MinMaxPos");
const QString KeyNormPos = QStringLiteral("NormPos");
const QString KeyActiveControl = QStringLiteral("ActiveControl");
const QString KeyVisible = QStringLiteral("Visible");

TFormPlacement::TErrorDisplay &errorDisplay()
{
    static TFormPlacement::TErrorDisplay display = [](const Exception &error) {
        qWarning("%s", qPrintable(error.message()));
    };
    return display;
}

int screenPixelsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

// "(WxH)" of the primary screen, appended to the screen-specific keys.
QString screenSuffix()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

QList<QRect> availableScreens()
{
    QList<QRect> result;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        result.append(screen->availableGeometry());
    return result;
}

int primaryScreenIndex()
{
    const qsizetype index = QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen());
    return index < 0 ? 0 : int(index);
}

// Wayland lets no client place its windows.
bool canPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void setWindowState(QWidget *window, Qt::WindowStates state)
{
    // Straight from normal to minimized-over-maximized some platforms forget
    // the maximized part; through maximized they keep it.
    if ((state & Qt::WindowMinimized) && (state & Qt::WindowMaximized)
        && !(window->windowState() & Qt::WindowMaximized))
        window->setWindowState((state & ~Qt::WindowMinimized));
    window->setWindowState(state);
}

} // namespace

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return *this == TWinMinMaxInfo();
}

// Keeps one INI object open for a restore or a save, or for a single read or
// write outside them; nested operations share the outer one, which alone
// commits and frees it.
class TFormPlacement::TIniOperation
{
public:
    explicit TIniOperation(TFormPlacement *storage)
        : m_storage(storage), m_owns(!storage->m_iniFile)
    {
        if (m_owns)
            m_storage->m_iniFile = std::make_unique<TIniFile>(m_storage->FileName());
    }
    ~TIniOperation()
    {
        if (m_owns)
            m_storage->m_iniFile.reset();
    }
    TIniOperation(const TIniOperation &) = delete;
    TIniOperation &operator=(const TIniOperation &) = delete;

    TIniFile &ini() const { return *m_storage->m_iniFile; }
    void commit() const
    {
        if (m_owns)
            m_storage->m_iniFile->UpdateFile();
    }

private:
    TFormPlacement *m_storage;
    bool m_owns;
};

TFormPlacement::TFormPlacement(QObject *AOwner)
    : QObject(AOwner)
{
    rememberOwnerClass();
    if (OwnerWindow())
        m_options = fpState | fpPosition;
    if (AOwner)
        AOwner->installEventFilter(this);
}

TFormPlacement::~TFormPlacement()
{
    SaveOnDestroy();
    for (TIniLink *link : std::as_const(m_links))
        link->m_storage = nullptr;
    m_links.clear();
    if (m_ownLimitsSaved) {
        if (QWidget *window = OwnerWindow()) {
            window->setMinimumSize(m_ownMinimum);
            window->setMaximumSize(m_ownMaximum);
        }
    }
}

void TFormPlacement::SetErrorDisplay(TErrorDisplay display)
{
    errorDisplay() = display ? std::move(display) : [](const Exception &error) {
        qWarning("%s", qPrintable(error.message()));
    };
}

QWidget *TFormPlacement::OwnerWindow() const
{
    QWidget *widget = qobject_cast<QWidget *>(parent());
    return widget && widget->isWindow() ? widget : nullptr;
}

void TFormPlacement::rememberOwnerClass()
{
    // While the window is destroyed its meta-object falls back to QWidget's;
    // keep the most derived class seen, which names the section.
    const QObject *owner = parent();
    if (!owner)
        return;
    const QMetaObject *meta = owner->metaObject();
    if (m_ownerMeta && !meta->inherits(m_ownerMeta))
        return;
    m_ownerMeta = meta;
    m_ownerClass = QString::fromLatin1(meta->className());
    const qsizetype scope = m_ownerClass.lastIndexOf(QLatin1String("::"));
    if (scope >= 0)
        m_ownerClass = m_ownerClass.mid(scope + 2);
}

QString TFormPlacement::DefaultIniFileName()
{
    if (!QCoreApplication::instance())
        return QString();
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    return executable.path() + QLatin1Char('/') + executable.completeBaseName() + QLatin1String(".INI");
}

QString TFormPlacement::FileName() const
{
    return m_iniFileName.isEmpty() ? DefaultIniFileName() : m_iniFileName;
}

QString TFormPlacement::PlacementSection() const
{
    return m_iniSection.isEmpty() ? m_ownerClass : m_iniSection;
}

QString TFormPlacement::RootSection() const
{
    return m_iniSection.isEmpty() ? QString() : m_iniSection + QLatin1Char('\\');
}

void TFormPlacement::SetMinMaxInfo(const TWinMinMaxInfo &value)
{
    m_minMaxInfo = value;
    applySizeLimits();
}

void TFormPlacement::SetPreventResize(bool value)
{
    m_preventResize = value;
    applySizeLimits();
}

void TFormPlacement::applySizeLimits()
{
    QWidget *window = OwnerWindow();
    if (!window)
        return;
    const bool intervene = m_preventResize || !m_minMaxInfo.DefaultMinMaxInfo();
    if (!intervene && !m_ownLimitsSaved)
        return;
    if (!m_ownLimitsSaved) {
        m_ownMinimum = window->minimumSize();
        m_ownMaximum = window->maximumSize();
        m_ownLimitsSaved = true;
    }
    QSize minimum = m_ownMinimum;
    QSize maximum = m_ownMaximum;
    if (m_minMaxInfo.MinTrackWidth)
        minimum.setWidth(m_minMaxInfo.MinTrackWidth);
    if (m_minMaxInfo.MinTrackHeight)
        minimum.setHeight(m_minMaxInfo.MinTrackHeight);
    if (m_minMaxInfo.MaxTrackWidth)
        maximum.setWidth(m_minMaxInfo.MaxTrackWidth);
    if (m_minMaxInfo.MaxTrackHeight)
        maximum.setHeight(m_minMaxInfo.MaxTrackHeight);
    if (m_preventResize)
        minimum = maximum = window->size();
    window->setMinimumSize(minimum);
    window->setMaximumSize(maximum);
    if (!intervene)
        m_ownLimitsSaved = false;
}

void TFormPlacement::addLink(TIniLink *link)
{
    if (!m_links.contains(link))
        m_links.append(link);
}

void TFormPlacement::removeLink(TIniLink *link)
{
    m_links.removeAll(link);
}

void TFormPlacement::notifyLinks(bool save)
{
    // A handler may detach links, its own or others.
    const QList<TIniLink *> links = m_links;
    for (TIniLink *link : links) {
        if (!m_links.contains(link))
            continue;
        const std::function<void()> &handler = save ? link->OnSave : link->OnRestore;
        if (handler)
            handler();
    }
}

void TFormPlacement::SaveStoredValues(TIniFile &)
{
}

void TFormPlacement::RestoreStoredValues(TIniFile &)
{
}

void TFormPlacement::RestoreSettings()
{
    rememberOwnerClass();
    m_saved = false;
    TIniOperation operation(this);
    TIniFile &ini = operation.ini();
    const QString section = PlacementSection();
    if (ini.ReadInteger(section, KeyFormVersion, 0) >= m_version) {
        if (OwnerWindow())
            restorePlacement(ini, m_options.testFlag(fpPosition), m_options.testFlag(fpState));
        notifyLinks(false);
        m_restored = true;
        RestoreStoredValues(ini);
        if (OnRestorePlacement)
            OnRestorePlacement(this);
        if (m_options.testFlag(fpActiveControl)) {
            const QString name = ini.ReadString(section, KeyActiveControl, QString());
            QWidget *window = OwnerWindow();
            QWidget *control = window && !name.isEmpty() ? window->findChild<QWidget *>(name) : nullptr;
            if (control && control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                control->setFocus();
        }
    }
    m_restored = true;
    operation.commit();
}

void TFormPlacement::StoreSettings()
{
    if (m_active && !m_restored)
        return;
    rememberOwnerClass();
    TIniOperation operation(this);
    TIniFile &ini = operation.ini();
    ini.WriteInteger(PlacementSection(), KeyFormVersion, m_version);
    if (OwnerWindow())
        savePlacement(ini);
    notifyLinks(true);
    SaveStoredValues(ini);
    if (OnSavePlacement)
        OnSavePlacement(this);
    operation.commit();
    m_saved = true;
}

void TFormPlacement::restorePlacement(TIniFile &ini, bool position, bool state)
{
    if (!position && !state)
        return;
    QWidget *window = OwnerWindow();
    const QString section = PlacementSection();
    TWindowPlacement placement = GetWindowPlacement(window);
    placement.NormalPosition = normalFrame(window);

    if (position) {
        placement.Flags = ini.ReadInteger(section, KeyFlags, placement.Flags);
        const QString suffix = screenSuffix();
        bool found = false;
        // The keys of the current screen size, else those last saved on any.
        const auto read = [&](const QString &key) {
            QString value = ini.ReadString(section, key + suffix, QString());
            if (value.isEmpty())
                value = ini.ReadString(section, key, QString());
            found = found || !value.isEmpty();
            return value;
        };
        // Only the normal rectangle can be applied here; without it the
        // window would get its current one back, which is no change, except
        // that before the window is framed its current frame is not known.
        const QString normalText = read(KeyNormPos);
        const QList<int> minMax = ParsePlacementWords(read(KeyMinMaxPos), {0, 0, 0, 0});
        placement.MinPosition = QPoint(minMax.at(0), minMax.at(1));
        placement.MaxPosition = QPoint(minMax.at(2), minMax.at(3));
        const QRect current = placement.NormalPosition;
        const QList<int> normal = ParsePlacementWords(
            normalText, {current.left(), current.top(), current.left() + current.width(),
                               current.top() + current.height()});
        const int pixelsPerInch = screenPixelsPerInch();
        if (found && !normalText.isEmpty()
            && ini.ReadInteger(section, KeyPixelsPerInch, pixelsPerInch) == pixelsPerInch) {
            QRect frame(normal.at(0), normal.at(1), normal.at(2) - normal.at(0), normal.at(3) - normal.at(1));
            const QSize minimum = m_ownLimitsSaved ? m_ownMinimum : window->minimumSize();
            const QSize maximum = m_ownLimitsSaved ? m_ownMaximum : window->maximumSize();
            if (minimum == maximum || window->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
                frame.setSize(current.size());
            if (frame.width() > 0)
                applyNormalFrame(window, KeepReachable(frame, availableScreens(), primaryScreenIndex()));
        }
    }

    if (state) {
        Qt::WindowStates target = Qt::WindowNoState;
        switch (ini.ReadInteger(section, KeyShowCmd, 0)) {
        case 2:
        case 6:
        case 7:
            target = Qt::WindowMinimized;
            if (placement.Flags & TWindowPlacement::WPF_RESTORETOMAXIMIZED)
                target |= Qt::WindowMaximized;
            break;
        case 3:
            target = Qt::WindowMaximized;
            break;
        default:
            break;
        }
        const Qt::WindowStates others = window->windowState() & ~ExtraStates;
        if (target != (window->windowState() & ExtraStates)) {
            // A window not yet framed at its normal place is maximized from
            // it: keep that place for the save.
            if ((target & Qt::WindowMaximized) && !m_pendingFrame.isValid() && !(window->windowState() & ExtraStates)
                && WindowFrameMargins(window).isNull()) {
                m_pendingFrame = window->geometry();
                m_pendingSizeIsClient = true;
                m_appliedClient = window->geometry();
            }
            // Setting the state of a hidden window does not show it.
            setWindowState(window, others | target);
        }
        if (target & Qt::WindowMinimized)
            return;
    }
    window->update();
}

void TFormPlacement::applyNormalFrame(QWidget *window, const QRect &frame)
{
    // Qt keeps the normal geometry only when it is set in the normal state.
    const Qt::WindowStates state = window->windowState();
    if (state & ExtraStates)
        window->setWindowState(state & ~ExtraStates);
    const QMargins margins = WindowFrameMargins(window);
    if (canPlaceWindows())
        window->move(frame.topLeft());
    window->resize(frame.size().shrunkBy(margins));
    m_pendingFrame = margins.isNull() ? frame : QRect();
    m_pendingSizeIsClient = false;
    m_appliedClient = window->geometry();
    if (state & ExtraStates)
        setWindowState(window, state);
}

void TFormPlacement::finishPendingFrame()
{
    if (!m_pendingFrame.isValid())
        return;
    QWidget *window = OwnerWindow();
    if (!window || !window->isVisible() || (window->windowState() & ExtraStates))
        return;
    const QMargins margins = WindowFrameMargins(window);
    if (margins.isNull())
        return;
    const QRect frame = m_pendingFrame;
    m_pendingFrame = QRect();
    // Resized by someone else meanwhile: that size wins. A client size was
    // right from the start.
    if (m_pendingSizeIsClient || window->size() != m_appliedClient.size())
        return;
    if (canPlaceWindows())
        window->move(frame.topLeft());
    window->resize(frame.size().shrunkBy(margins));
}

QRect TFormPlacement::normalFrame(const QWidget *window) const
{
    if (m_pendingFrame.isValid() && window->normalGeometry() == m_appliedClient) {
        if (m_pendingSizeIsClient)
            return QRect(m_pendingFrame.topLeft(), m_pendingFrame.size().grownBy(WindowFrameMargins(window)));
        return m_pendingFrame;
    }
    return NormalFrameGeometry(window);
}

void TFormPlacement::savePlacement(TIniFile &ini)
{
    QWidget *window = OwnerWindow();
    const QString section = PlacementSection();
    const QString suffix = screenSuffix();
    TWindowPlacement placement = GetWindowPlacement(window);
    placement.NormalPosition = normalFrame(window);

    ini.WriteInteger(section, KeyFlags, placement.Flags);
    ini.WriteInteger(section, KeyShowCmd, placement.ShowCmd);
    ini.WriteInteger(section, KeyPixelsPerInch, screenPixelsPerInch());
    const QString minMax = FormatPlacementPoints(placement.MinPosition, placement.MaxPosition);
    ini.WriteString(section, KeyMinMaxPos + suffix, minMax);
    ini.WriteString(section, KeyMinMaxPos, minMax);
    const QString normal = FormatPlacementRect(placement.NormalPosition);
    ini.WriteString(section, KeyNormPos + suffix, normal);
    ini.WriteString(section, KeyNormPos, normal);
    if (m_options.testFlag(fpActiveControl)) {
        QWidget *focus = window->focusWidget();
        if (focus && focus != window)
            ini.WriteString(section, KeyActiveControl, focus->objectName());
    }
    ini.WriteBool(section, KeyVisible, m_destroying);
}

QString TFormPlacement::ReadString(const QString &Ident, const QString &Default)
{
    rememberOwnerClass();
    TIniOperation operation(this);
    return operation.ini().ReadString(PlacementSection(), Ident, Default);
}

void TFormPlacement::WriteString(const QString &Ident, const QString &Value)
{
    rememberOwnerClass();
    TIniOperation operation(this);
    operation.ini().WriteString(PlacementSection(), Ident, Value);
    operation.commit();
}

int TFormPlacement::ReadInteger(const QString &Ident, int Default)
{
    rememberOwnerClass();
    TIniOperation operation(this);
    return operation.ini().ReadInteger(PlacementSection(), Ident, Default);
}

void TFormPlacement::WriteInteger(const QString &Ident, int Value)
{
    rememberOwnerClass();
    TIniOperation operation(this);
    operation.ini().WriteInteger(PlacementSection(), Ident, Value);
    operation.commit();
}

void TFormPlacement::guarded(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EAbort &) {
    } catch (const Exception &error) {
        errorDisplay()(error);
    } catch (const std::exception &error) {
        errorDisplay()(Exception(QString::fromLocal8Bit(error.what())));
    }
}

void TFormPlacement::FormShow()
{
    if (m_active)
        guarded([this] { RestoreSettings(); });
}

void TFormPlacement::FormCloseQuery(bool CanClose)
{
    if (CanClose && m_active && OwnerWindow())
        guarded([this] { StoreSettings(); });
}

void TFormPlacement::FormDestroy()
{
    if (m_destroyHandled)
        return;
    m_destroyHandled = true;
    if (!m_active || m_saved)
        return;
    m_destroying = true;
    guarded([this] { StoreSettings(); });
    m_destroying = false;
}

void TFormPlacement::SaveOnDestroy()
{
    if (OwnerWindow())
        FormDestroy();
}

bool TFormPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && OwnerWindow()) {
        switch (event->type()) {
        case QEvent::Show:
            // A window coming back from the minimized state is not shown anew.
            if (!event->spontaneous())
                FormShow();
            finishPendingFrame();
            break;
        case QEvent::Close:
            if (!m_windowCallsStorage)
                FormCloseQuery(true);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowStateChange:
            finishPendingFrame();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
