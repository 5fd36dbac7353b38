#include "winfault/FaultTranslator.h"

#include "winfault/FaultText.h"

namespace winfault {

void translate_fault(std::uint32_t code, const FaultRecord& record, FaultLog& log) noexcept {
    SafeText text;
    describe_fault(code, record, text);
    log.error(text.c_str());
}

}  // namespace winfault
