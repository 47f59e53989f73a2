// The translation walk over the windows.
#include "ui/translate_components.h"

namespace horavant {

void TranslateComponents(const std::vector<QWidget*>& /*windows*/, TranslationStore& /*store*/)
{
}

}  // namespace horavant
