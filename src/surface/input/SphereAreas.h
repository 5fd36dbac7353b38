#pragma once
// A sphere's areas per SES component: its share of the component's SES area
// and its SAS area there. A sphere lies on few of the components (often one
// of thousands, with -all_components on many molecules), so only those are
// held, in the order of their numbers; any other reads 0.
#include <vector>

namespace velmesh {

class SphereAreas {
public:
    void clear() { entries_.clear(); }

    void add_ses(int component, double area) { entry(component).ses += area; }
    void add_sas(int component, double area) { entry(component).sas += area; }
    void set(int component, double ses, double sas) {
        Entry& e = entry(component);
        e.ses = ses;
        e.sas = sas;
    }

    double ses(int component) const { return find(component) ? find(component)->ses : 0.0; }
    double sas(int component) const { return find(component) ? find(component)->sas : 0.0; }
    double total_ses() const;
    double total_sas() const;

private:
    struct Entry {
        int component;
        double ses = 0, sas = 0;
    };

    Entry& entry(int component);
    const Entry* find(int component) const;

    std::vector<Entry> entries_;
};

}  // namespace velmesh
