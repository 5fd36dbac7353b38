// One node in the file format.
#include <algorithm>

#include "utils/Trace.h"
#include "utils/config/NumberText.h"
#include "utils/config/Parser.h"
#include "utils/config/RealSection.h"

std::string RealSection::saved_value() const {
    switch (kind_) {
        case SectionKind::numeric: {
            // The shortest text that reads back as the same double.
            if (values_.size() == 1) return " = " + format_shortest(values_.front());
            std::string text = " = [";
            for (std::size_t i = 0; i < values_.size(); ++i) {
                if (i > 0) text += ',';
                text += format_shortest(values_[i]);
            }
            return text + ']';
        }
        case SectionKind::string: return " = \"" + value_text_ + '"';
        case SectionKind::link: return " = @" + value_text_;
        default: return {};
    }
}

int RealSection::CalcStrCLen() {
    width_ = static_cast<int>(name_.size() + saved_value().size());
    return width_;
}

int RealSection::children_width() {
    int width = 0;
    for (RealSection* child : ordered_) width = std::max(width, child->CalcStrCLen());
    return width;
}

void RealSection::Save(SaveText& out, int level, int width) {
    if (ordered_.empty() && kind_ == SectionKind::plain) {
        trace(Msgtype::warning, "[%s] - trying to save blank section without property. skipped\n", name_.c_str());
        return;
    }
    if (!comment_.empty() && out.blank_line_due) out.text += '\n';
    Parser::save_comment(out.text, comment_, level);
    Parser::tab(out.text, level);
    out.text += name_;
    out.text += saved_value();
    if (!line_comment_.empty()) {
        if (width_ <= width) out.text.append(static_cast<std::size_t>(width - width_ + 1), ' ');
        out.text += '#';
        out.text += line_comment_;
    }
    out.text += '\n';
    if (ordered_.empty()) {
        out.blank_line_due = true;
        return;
    }
    Parser::tab(out.text, level);
    out.text += "{\n";
    out.blank_line_due = false;
    const int inner = children_width();
    for (RealSection* child : ordered_) child->Save(out, level + 1, inner);
    Parser::tab(out.text, level);
    out.text += "}\n";
    out.blank_line_due = true;
}
