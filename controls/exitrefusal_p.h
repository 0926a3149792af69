#pragma once
// A data-aware control whose text is refused when it is left keeps the focus:
// it takes the focus back once the focus change is over, with its text
// selected. Until then it carries a mark, so that whoever took the focus (a
// navigator button pressed to post) knows the value was refused and drops its
// action instead of reporting the same fault a second time.

#include <QTimer>
#include <QVariant>
#include <QWidget>

namespace exitRefusal {

inline constexpr char kMark[] = "tonalbaExitRefused";

template <class Control>
void takeFocusBack(Control *control)
{
    control->setProperty(kMark, true);
    QTimer::singleShot(0, control, [control] {
        control->setProperty(kMark, QVariant());
        control->setFocus();
        control->selectAll();
    });
}

inline bool refused(const QWidget *control)
{
    return control && control->property(kMark).toBool();
}

} // namespace exitRefusal
