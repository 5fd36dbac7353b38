#pragma once
// Making the records of an SES component: each is appended to its
// component's list and counted, and takes the next id.
#include <cstdint>

#include "surface/ses/SESRecords.h"

namespace velmesh {

// A vertex of the kind at the position on the sphere (-1 for none), with its
// first normal.
SES_vertex& new_ses_vertex(SES_component& ses, std::uint8_t kind, const Vec3& position, int sphere,
                           const Vec3& normal);
// Its second normal (singular vertices).
void set_second_normal(SES_vertex& vertex, const Vec3& normal);

// A face of the type, with the component's next face id.
SES_face& new_ses_face(SES_component& ses, short type);

// An arc of the type from start to end on the circle (centre, radius, unit
// plane normal n), in no face yet.
SES_edge& new_ses_edge(SES_component& ses, std::uint16_t type, SES_vertex* start, SES_vertex* end,
                       RS_edge* rs_edge, const Vec3& centre, double radius, const Vec3& normal);

// Appends the edge to the face's list with the orientation, and makes the
// face the edge's first face (orientation 1) or second face (0).
void append_edge(SES_face& face, SES_edge& edge, std::uint8_t orientation);

}  // namespace velmesh
