patch:Twice one
patch:Twice two
description:Two entries, one file.
param:text|t
location:AABB
