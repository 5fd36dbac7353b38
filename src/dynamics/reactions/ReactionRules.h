#pragma once
// How a reaction's contacts turn into events and when they end the
// experiment: its keys "p" and "stop".
#include "dynamics/reactions/REACTION.h"

// Reads "p" (default 0) and "stop" from the reaction's section; N0 must be
// set. A "stop" below 1 is a fraction of N0; the whole part of the value, when
// above 0, becomes `stop` (at most 2147483647), otherwise the reaction never
// stops the experiment. A reaction without "p" is warned about: its contacts
// would never become events.
void read_reaction_rules(REACTION& reaction);
