#pragma once

class ImageBatch;

// The add job: scans the batch's folder first when its scan flag is set (posting
// (1, pictures found)), then reads every pending path into an entry with its
// thumbnail and information text, appending those that can be read and listing the
// others with the reason (GetRejectedFiles). Posts (2, 2i+1)
// before path i and (2, 2i+2) after it, and (5, 0) last, all as WM_ADD_PROGRESS.
// Stops at the batch's add stop event, tested before each path and again before
// its second post. Runs on the worker thread StartAddJob starts; returns 0.
int AddFilesJob(ImageBatch& batch);
