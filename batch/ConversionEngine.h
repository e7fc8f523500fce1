#pragma once

class ImageBatch;

// The conversion job: converts every entry of the batch in list order, posting
// (4, 2i+1) and (4, 2i+2) around picture i and (5, 0) at the end, and stops
// between pictures when the batch's convert stop event is set. Records one
// outcome per picture it reached in the batch. Runs on the worker thread that
// StartConvertJob starts; always returns 0.
int ConversionEngine(ImageBatch& batch);
