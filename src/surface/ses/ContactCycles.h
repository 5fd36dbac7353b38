#pragma once
// Following a contact cycle: the contact arcs that the toric faces leave
// around one region of a sphere, from one arc to the next through the
// reentrant faces at their common vertices.
#include <vector>

#include "surface/ses/SESRecords.h"

namespace velmesh {

// Collects, in the toric faces' direction, the cycle of contact arcs that
// starts with the contact arc at `index` of the toric face `face`: from an
// arc, the next edge of its face leads into a neighbouring face, whose next
// edge leads into the next toric face, whose next edge is the next contact
// arc; the cycle closes when an arc ends where the first one starts.
//
// False, with a message on standard error, when the cycle cannot be
// followed: an edge missing from the face that should hold it, a step that
// does not reach a contact arc on the same sphere, or more steps than the
// component has edges (a cycle that never closes).
bool walk_contact_cycle(const SES_component& ses, const SES_face& face, int index, std::vector<SES_edge*>& cycle);

}  // namespace velmesh
