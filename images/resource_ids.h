/* Resource identifiers shared by the resource scripts and the code (plain defines for windres). */
#pragma once
#define ZEN_ICON_APP 1    /* 128 x 128: the executable's own icon (lowest id, so the shell shows it) */
#define ZEN_ICON_WINDOW 2 /* 64 x 64: WindowIcon, large and small icon of MainWindow */
#define ZEN_ART_FIRST 100 /* RCDATA ids: ZEN_ART_FIRST + the index of images::Art */
