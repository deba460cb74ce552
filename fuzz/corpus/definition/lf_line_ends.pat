patch:LF only
description:never seen
param:num|1
location:AABB
