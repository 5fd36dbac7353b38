#include "surface/ses/FaceCycles.h"

namespace velmesh {

int cycle_end(const SES_face& face, int begin) {
    const int count = static_cast<int>(face.edges.size());
    const SES_vertex* first = traversal_start(face, begin);
    for (int k = begin; k < count; ++k)
        if (traversal_end(face, k) == first) return k + 1;
    return count;
}

int next_in_cycle(const SES_face& face, int index) {
    const int count = static_cast<int>(face.edges.size());
    for (int begin = 0; begin < count;) {
        const int end = cycle_end(face, begin);
        if (index < end) return index + 1 < end ? index + 1 : begin;
        begin = end;
    }
    return index;
}

int find_edge(const SES_face& face, const SES_edge* edge) {
    for (int k = 0; k < static_cast<int>(face.edges.size()); ++k)
        if (face.edges[k] == edge) return k;
    return -1;
}

}  // namespace velmesh
