#pragma once
// Text as the stand-in hands it out: stories, words, characters, insertion
// points and their collections.

#include <memory>

#include "standin/ModelObject.h"

namespace sonotag::standin {

// A whole story of `document`.
host::ObjectRef MakeStoryObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                                model::Story& story);

}  // namespace sonotag::standin
