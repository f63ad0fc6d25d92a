#include "devsheet/features_page.h"

namespace dev {

bool featureSupported(const uint8_t (&inquiryHeader)[8], const FeatureLine& line) {
  if (line.byte >= sizeof inquiryHeader || line.bit > 7) return false;
  return (inquiryHeader[line.byte] >> line.bit) & 1;
}

bool showsNegotiatedRate(uint32_t familyLevel, uint32_t extendedFeatures) {
  return familyLevel == 4 && extendedFeatures == 1;
}

}  // namespace dev
