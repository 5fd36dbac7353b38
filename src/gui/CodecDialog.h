#pragma once
// The codec dialog of Record AVI: the codecs this machine can record with,
// uncompressed pre-selected; Cancel chooses none.
#include <wx/window.h>

#include "visualization/movie/CodecChooser.h"

class CodecDialog : public movie::CodecChooser {
public:
    explicit CodecDialog(wxWindow* parent) : parent_(parent) {}

    std::optional<std::size_t> choose_codec(const std::vector<movie::VideoCodec>& codecs,
                                            std::size_t preselected) override;

private:
    wxWindow* parent_;
};
