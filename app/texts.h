// app/texts.h: the texts the user reads in message boxes, each written once.
#ifndef KORVALIN_APP_TEXTS_H
#define KORVALIN_APP_TEXTS_H

// The caption of every message box the utility shows.
static const char kMessageCaption[] = "Varnak TessalineBoard Information";

#endif
