#pragma once
// What a screen reader sees of the controls Qt does not know: the flat
// picture buttons (buttons with a press action and their enabled state) and
// the navigator bar (a tool bar). Installed once, by the first of these
// controls made; safe to call again.

void installControlAccessibility();
