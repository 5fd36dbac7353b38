#pragma once
// What the viewer draws of one species: its colours by trajectory flags, one
// mesh per visualisation type, and the exponent of its colouring by
// potential.
#include <vector>

#include "visualization/Mesh.h"
#include "visualization/Rgba.h"

class C3DObject {
public:
    virtual ~C3DObject() = default;

    // Entry f is the colour of an instance whose flags have the value f;
    // entry 0 serves every value the list does not reach.
    std::vector<Rgba> colors;
    std::vector<Mesh> shapes;  // one per visualisation type
    double pot_m = 1.0;        // exponent of the colouring by potential
};

// The species' drawable as the document keeps it.
class C3DObjectMovable : public C3DObject {};
