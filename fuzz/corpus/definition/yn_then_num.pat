patch:Yn then num
description:Two param lines.
param:yn|A:01|B:02
param:num|5
location:AABB
