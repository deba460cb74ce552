patch:Marked
description:Saved with a byte-order mark.
param:num|1
location:AABB
