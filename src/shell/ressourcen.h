#pragma once
// The program's icons and pictures (resources/kynovia.qrc) live in a static
// library, where nothing would pull them into the program by itself: every
// window that shows one calls this first. Safe to repeat.
void ressourcenLaden();
