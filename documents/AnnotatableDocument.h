#pragma once
// A document Sonotag annotates outside InDesign, in any of its formats: plain
// text, the stand-in's JSON, and the packages (IDML, Word). A format reads
// its bytes into the document model: one story for each text a run selects,
// each character numbered with its origin (model/Origins.h). The run the
// window makes in InDesign is then made over those stories through the
// stand-in host (AnnotateDocument.h), and the format writes what the run
// inserted back into its own markup.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/DocumentError.h"

namespace sonotag::model {
class Document;
}  // namespace sonotag::model

namespace sonotag::documents {

class AnnotatableDocument {
public:
    virtual ~AnnotatableDocument() = default;

    // The stories the run goes over and the character styles the document
    // offers, shared with the host that runs over them.
    virtual const std::shared_ptr<model::Document>& model() const = 0;

    // The runs to make, in order, each by the stories it selects. By
    // default each story alone: a text's pieces (documents/TextPieces.h) for
    // plain text, each paragraph or piece of one for a package. The
    // stand-in's JSON runs over the document's own selection.
    virtual std::vector<std::vector<std::int32_t>> selections() const;

    // Whether the model's undo history is part of the document (the
    // stand-in's JSON keeps it); a package has none, and its model forgets
    // each run's steps.
    virtual bool keepsUndoHistory() const = 0;

    // Whether story `story` of the model begins a text of its own, or goes
    // on with the text of the story before it (a long text's later pieces,
    // documents/TextPieces.h, each a run of its own). A review counts a
    // text's pieces as one text.
    virtual bool startsText(std::int32_t story) const;

    // The document in its own format with the run's insertions in place and
    // everything else as it was read. Throws DocumentError (base/DocumentError.h).
    virtual std::string save() = 0;

    // The document as the command line prints it: its texts, one a line,
    // or the model's JSON file (a plain text as the one story it is).
    virtual std::string textLines() const;
    virtual std::string modelJson() const;
};

}  // namespace sonotag::documents
