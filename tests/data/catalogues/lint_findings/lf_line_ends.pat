patch:LF alone
description:Saved with Unix line ends.
param:num|1
location:AABB
