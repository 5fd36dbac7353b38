// A dock-point contact of two instances, and the reaction event it may turn
// into: counted, logged, the pair stopped and its structure dumped.
#include <cmath>
#include <cstdio>

#include "dynamics/PDcalc.h"
#include "dynamics/output/FileNamePattern.h"
#include "dynamics/reactions/IntegratedRateLaw.h"
#include "dynamics/reactions/StructureDump.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

namespace {

// The dump's file: the "pdb_dump" key's pattern in out_folder, its "%d"
// taking the reaction's contact count; none without the key or when the
// name cannot be made (logged).
std::optional<std::string> dump_name(const PDcalc& engine, const REACTION& reaction) {
    const auto name =
        engine.make_reaction_filename(reaction, "pdb_dump", "%s.%%1$d.%%%%d.%%2$s-%%3$lu.pdb", engine.out_folder);
    if (!name) return std::nullopt;
    // The folder is a prefix of its own and keeps any '%' it holds.
    const std::string_view file = std::string_view(*name).substr(engine.out_folder.size());
    file_names::Filled filled = file_names::fill_dump_number(file, reaction.contacts);
    if (!filled.text) {
        LOG_ERROR("%s", filled.error.c_str());
        return std::nullopt;
    }
    return engine.out_folder + *filled.text;
}

void log_docking(const PDcalc& engine, const REACTION& reaction) {
    const double t = static_cast<double>(engine.step) * engine.TimeStep;
    // At step 0 no time has passed yet: there is no rate to give.
    const double k = t > 0 ? integrated_rate_constant(reaction, t) : std::nan("");
    if (std::isnan(k))
        LOG_MESSAGE("Docking on step %lld, n=%d", static_cast<long long>(engine.step), reaction.events);
    else
        LOG_MESSAGE("Docking on step %lld, n=%d, k=%e", static_cast<long long>(engine.step), reaction.events, k);
}

}  // namespace

int PDcalc::reaction_event(REACTION* reaction, PROT& A, PROT& B) {
    // A contact that did not exist in the previous step gets its frame.
    if (!(A.contact_step == step - 1 && B.contact_step == step - 1)) frame_due = true;
    A.contact_step = step;
    B.contact_step = step;
    residues_in_range(&A, &B, reaction->contact_stats.get());

    // An instance that has reacted reacts no more.
    if (A.stopped || B.stopped) return 0;
    if (!(reaction->p > uniform_rand())) return 0;

    frame_due = true;
    reaction->events += 1;
    if (reaction->events >= reaction->stop) finish_flag = true;
    log_docking(*this, *reaction);
    A.stopped = true;
    B.stopped = true;
    reaction->partner[0].at(static_cast<std::size_t>(A.index)) = B.index;
    reaction->partner[1].at(static_cast<std::size_t>(B.index)) = A.index;

    const auto name = dump_name(*this, *reaction);
    if (!name) return 1;
    FilePtr file = fopen_share(*name, "w+", no_overwrite, true);
    if (file == nullptr) {
        LOG_ERROR("failed to open PDB dump file %s", name->c_str());
        return 1;
    }
    LOG_MESSAGE("dumping PDB structure to %s", name->c_str());
    int atom_b = 0;
    int atom_a = 0;
    LOG_MESSAGE("min atomic distance %e", atomic_distance(&B, &A, atom_b, atom_a));
    const PROT_CLASS& sa = model.species.at(static_cast<std::size_t>(A.species));
    const std::string text =
        structure_dump_text(A, sa, B, model.species.at(static_cast<std::size_t>(B.species)), compartment_of(sa));
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                         std::fflush(file.get()) == 0 && std::fclose(file.release()) == 0;
    if (!written) LOG_ERROR("failed to write PDB dump file %s", name->c_str());
    return 1;
}
