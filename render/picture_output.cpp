#include "render/picture_output.h"

void ComposeContourPicture(std::vector<unsigned char>&) {}
void ComposeStreamPicture(std::vector<unsigned char>&) {}
void ComposeCombinedPicture(std::vector<unsigned char>&) {}

WriteResult WritePicture(const char*, const char*, lodepng::State&,
                         const std::vector<unsigned char>&, std::vector<unsigned char>&) {
  return WriteResult::kWritten;
}
