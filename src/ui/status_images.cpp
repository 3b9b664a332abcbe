#include "ui/status_images.h"

#include <initializer_list>

namespace kestrine {

int statusImageSize(int dpi) {
    const int wanted = dpi * 16 / standardDpi;
    for (const int drawn : {32, 24})
        if (drawn <= wanted) return drawn;
    return 16;
}

}  // namespace kestrine
