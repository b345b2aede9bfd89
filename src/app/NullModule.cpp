#include "app/NullModule.h"

namespace tavel {
namespace nsmpi {

NullModule& NullModule::instance() {
    static NullModule module;
    return module;
}

}  // namespace nsmpi
}  // namespace tavel
