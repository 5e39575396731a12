#pragma once
// Subcommands that draw text or use Qt's picture readers need a Qt application
// object; the command line has no window, so it runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
void EnsureGuiApplication();
