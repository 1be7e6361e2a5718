#pragma once
// Hands the main window the openers of the terminal administration screens.

class frm2;

void registerAdminScreens(frm2& window);
