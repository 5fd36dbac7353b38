#include "surface/ses/SESRecordMakers.h"

namespace velmesh {

SES_vertex& new_ses_vertex(SES_component& ses, std::uint8_t kind, const Vec3& position, int sphere,
                           const Vec3& normal) {
    const int id = ses.vertices.count();
    SES_vertex& vertex = ses.vertices.emplace_back();
    vertex.id = id;
    vertex.kind = kind;
    vertex.position = to_float(position);
    vertex.sphere = sphere;
    for (int c = 0; c < 3; ++c) vertex.normals[c] = static_cast<float>(normal[c]);
    if (kind == kSingularVertex) ++ses.singular_vertex_count;
    return vertex;
}

void set_second_normal(SES_vertex& vertex, const Vec3& normal) {
    for (int c = 0; c < 3; ++c) vertex.normals[3 + c] = static_cast<float>(normal[c]);
}

SES_face& new_ses_face(SES_component& ses, short type) {
    SES_face& face = ses.faces.emplace_back();
    face.type = type;
    face.id = ses.face_count++;
    if (type >= 1 && type < static_cast<short>(ses.faces_of_type.size())) ++ses.faces_of_type[type];
    return face;
}

SES_edge& new_ses_edge(SES_component& ses, std::uint16_t type, SES_vertex* start, SES_vertex* end,
                       RS_edge* rs_edge, const Vec3& centre, double radius, const Vec3& normal) {
    SES_edge& edge = ses.edges.emplace_back();
    edge.type = type;
    edge.start = start;
    edge.end = end;
    edge.rs_edge = rs_edge;
    edge.circle_centre = to_float(centre);
    edge.radius = static_cast<float>(radius);
    edge.centre_data[0] = normal.x;
    edge.centre_data[1] = normal.y;
    edge.centre_data[2] = normal.z;
    if ((type & (kSingularArc | kIntersectionArc | kTracedArc)) != 0) ++ses.two_point_edge_count;
    return edge;
}

void append_edge(SES_face& face, SES_edge& edge, std::uint8_t orientation) {
    face.edges.push_back(&edge);
    face.orientations.push_back(orientation);
    if (orientation != 0)
        edge.first_face = &face;
    else
        edge.second_face = &face;
}

}  // namespace velmesh
