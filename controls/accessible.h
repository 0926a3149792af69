#pragma once
// What a screen reader sees of the controls Qt does not know: the flat
// picture buttons (buttons with a press action and their enabled state) and
// the navigator bar (a tool bar). Installed once, by the first of these
// controls made; safe to call again.

void installControlAccessibility();

class QLabel;
class QWidget;
// The control a label stands for: its buddy, named by the label's own text,
// so that what a reader says and what the screen shows never disagree.
void nameByLabel(QLabel *label, QWidget *control);
