patch:Duplicates
description:First.
description:Second.
param:num|1
location:AABB
param:text|x
location:CCDD
