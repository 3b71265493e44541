#include "export/write_stuff.h"

namespace zelvo {

void ExportInstrumentToWave(const SoundFontModel&, int, const std::string&, const std::string&,
                            const std::string&, const ExportProgress&) {
    throw ExportError(ExportError::Kind::Failed, "export is not built yet");
}

}  // namespace zelvo
